#pragma once

#include <QString>
#include <QStringList>

namespace tw {

// RFC 4180, 2.6 and 2.7: a field holding a comma, a double quote or a line
// break is enclosed in double quotes, and a double quote inside it doubled.
QString csvField(const QString& text);
// The fields as one record: each quoted as needed, comma-separated, ended
// by CR LF.
QString csvRecord(const QStringList& fields);

} // namespace tw
