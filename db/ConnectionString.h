#pragma once

#include <QMap>
#include <QString>

namespace tw {

// The key=value pairs of an OLE DB style connection string
// ("Provider=SQLOLEDB.1;User ID=sa;Data Source=host"). Keys are folded to
// lower case; a value may be enclosed in single or double quotes (a doubled
// quote inside stands for one). Later duplicates replace earlier ones.
QMap<QString, QString> parseConnectionString(const QString& text);

} // namespace tw
