#pragma once

#include <QByteArray>
#include <QString>

namespace peers {

// The text in Windows code page 1252, the code page of the model's
// collation; characters the code page lacks become '?', as on the server.
QByteArray toWindows1252(const QString& text);

} // namespace peers
