#pragma once

#include <QMap>
#include <QString>

namespace tw {

// A value as it may stand in a connection string: enclosed in braces (a
// closing brace doubled) when it holds ";", "{" or "}", begins with a quote
// or has blanks at either end, so that it stays one value; unchanged
// otherwise.
QString quoteConnectionValue(const QString& value);

// The key=value pairs of an OLE DB style connection string
// ("Provider=SQLOLEDB.1;User ID=sa;Data Source=host"). Keys are folded to
// lower case; a value may be enclosed in braces (a doubled closing brace
// inside stands for one) or in single or double quotes (a doubled quote
// inside stands for one). Later duplicates replace earlier ones.
QMap<QString, QString> parseConnectionString(const QString& text);

} // namespace tw
