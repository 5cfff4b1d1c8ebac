#pragma once

#include <QFont>

class QWidget;

namespace tw {

// The font the wizard's pages are laid out for: the desktop's sans at 8
// points (on Windows "Microsoft Sans Serif", the successor of "MS Sans Serif").
QFont designFont();

// Gives the main window its frame: the design font, a fixed size (its size as
// built), a title bar with the system menu and close box only, and a place in
// the middle of the screen.
void setUpWindowFrame(QWidget& window);

} // namespace tw
