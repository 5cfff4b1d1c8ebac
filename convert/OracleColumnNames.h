#pragma once

#include <QHash>
#include <QStringList>
#include <QVector>

namespace tw {

// The Oracle column names of a table's source columns, in column order: each
// name cut to 30 characters and normalised (blanks to underscores, upper case
// with the option). A column whose Oracle name an earlier column already has
// (two names that agree in their first 30 characters) takes a free name the
// way long table names do: its first 26 characters and four digits, the
// first that no earlier column of the table has. The table definition and
// the row transfer both name the columns by it, so that they agree.
class OracleColumnNames {
public:
    OracleColumnNames() = default;
    OracleColumnNames(const QStringList& sourceNames, bool upperCase);

    // The Oracle name of a source column; the plain rule for a name that is
    // not among the table's columns.
    QString of(const QString& sourceName) const;
    // One log line for each column that took a free name, in column order.
    QStringList renamedLines(const QString& targetTable) const;

private:
    struct Renamed {
        QString source;
        QString name;
        QString earlier;  // the name it would have had, an earlier column's
    };

    bool upperCase_ = false;
    QHash<QString, QString> names_;
    QVector<Renamed> renamed_;
};

} // namespace tw
