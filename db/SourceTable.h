#pragma once

#include <QString>
#include <QVector>

namespace tw {

// A user table of the source database, as the table listing found it: its
// schema and name, and whether the name is found in several schemas. The
// table lists, the job lookup and the conversion run carry this one value.
struct SourceTable {
    QString schema;
    QString name;
    // True when other schemas hold a table of the same name: the table is
    // then listed, and named in job files, as schema.name.
    bool qualified = false;

    // The text of its entry in the table lists and in job files: the bare
    // name, or schema.name for a name found in several schemas.
    QString entry() const;
    // What its Oracle name is formed from: the bare name, or schema_name for
    // a name found in several schemas.
    QString targetBase() const;
};

// The listed tables from (schema, name) rows in the listing's order: a name
// found in one schema keeps its bare entry, a name found in several is
// qualified in each. Names are compared without regard to case, as the
// server's default collation compares them; a case-sensitive database at
// worst lists a name qualified that needed no schema.
QVector<SourceTable> listedTables(const QVector<SourceTable>& rows);

} // namespace tw
