#pragma once

class QAbstractScrollArea;

// Keeps a view scrolled to its last line: whenever its content grows or its
// window shrinks, it scrolls to the end, unless the user has scrolled away
// from the end; scrolling back to the end makes it follow again.
void followLastLine(QAbstractScrollArea& view);
