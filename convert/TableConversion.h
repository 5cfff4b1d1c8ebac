#pragma once

#include "convert/ConversionHost.h"
#include "convert/RejectFile.h"
#include "convert/RunLog.h"
#include "convert/RunSummary.h"
#include "convert/StatementScript.h"
#include "convert/Tcc.h"
#include "db/SourceAccess.h"
#include "db/TargetAccess.h"

namespace tw {

// Orders the steps that name and create the targets of tables converted at
// once, so that they meet the schema as they would one after the other: a
// table names its target only after the tables before it have created
// theirs, and works on a target only once the tables before it that have the
// same target are done with it.
class TargetNaming {
public:
    virtual ~TargetNaming() = default;
    virtual void begin() = 0;
    virtual void claim(const QString& target) = 0;
    virtual void end() = 0;
};

// What a run does with tables whose target exists, and whether it converts
// keys and indexes: fixed when the run starts.
struct TableSteps {
    bool overwrite = false;
    bool skip = false;
    bool convertIndexes = true;
};

// A table as its conversion left it, for the steps that need every table:
// the Oracle names of its columns (as created, or by the plain rule for a
// table it did not create) and whether the conversion created it.
struct ConvertedTable {
    TableRef table;
    OracleColumnNames columns;
    bool created = false;
};

// The steps of one selected table, each writing its lines to the log: target
// name, existence probe, drop or skip, create with keys and indexes, rows,
// the count check and, with full definitions, the identity continued after
// the copied rows. Statements that change the target also go to the script
// when the host asks for one.
class TableConversion {
public:
    // Without naming, the table is the only one at work.
    TableConversion(ConversionHost& host, Tcc& cc, SourceQuery& query, TargetConnection& target, RowWriter& writer,
                    RunLog& log, RejectFile& rejects, StatementScript& script, TargetNaming* naming = nullptr);

    // Fills the table's summary but for its time; false when one of the
    // table's steps failed. An unprotected step's failure escapes.
    bool convert(const SourceTable& source, TableSummary& summary, const TableSteps& steps);
    // The error of a table whose rows failed because the source is gone.
    const QString& lostSource() const { return lostSource_; }
    // The table as the last convert left it.
    const ConvertedTable& converted() const { return converted_; }

    // The target name formed from a table's name (its targetBase):
    // normalised, and for names over 30 characters the first 26 characters
    // with the first free four-digit suffix in the owner's schema.
    QString targetNameFor(const QString& base, bool upperCase);

private:
    bool createAndCopy(const TableRef& table, TableSummary& summary, const TableSteps& steps);
    bool copyRows(const TableRef& table, TableSummary& summary, bool merged);
    QString ambiguousSourceText(const TableRef& table);
    bool continueIdentity(const QString& target, const QStringList& columns);

    ConversionHost& host_;
    Tcc& cc_;
    SourceQuery& query_;
    TargetConnection& target_;
    // The target as the statements that change it reach it: through the
    // script when the run writes one.
    ScriptingTargetConnection changes_;
    StatementScript& script_;
    RowWriter& writer_;
    RunLog& log_;
    RejectFile& rejects_;
    TargetNaming* naming_;
    QString lostSource_;
    ConvertedTable converted_;
};

} // namespace tw
