#pragma once

#include "peers/oracle/OraNls.h"
#include "StubHandles.h"
#include "peers/oracle/ModelOracle.h"

#include <QStringList>
#include <map>
#include <memory>
#include <optional>

// Tables the stand-in keeps itself, for what the model database does not
// hold: the column types LONG, LONG RAW, BINARY_FLOAT and BINARY_DOUBLE,
// TIMESTAMP fractions beyond milliseconds, and tables that only check and
// count what they receive (for measurements of memory and speed). They answer the
// describe of the row writer's query and its inserts; their values are
// converted by the server's rules under the session's NLS settings, and
// kept as text.
namespace ocistub {

using peers::ora::NlsSettings;
using peers::ora::readDaySecondInterval;
using peers::ora::readNumber;
using peers::ora::readTimestamp;

// How a column stores its values, for the checks by bytes.
enum class StubStorage { Number, Date, Varchar2, LongText, Binary, Other };

struct StubTable {
    QString name;
    QVector<peers::OraColumn> columns;
    QVector<StubStorage> storage;     // per column
    bool discard = false;             // check the values, keep none
    QVector<QStringList> committed;   // each value as text, "NULL" for NULL
    std::map<const void*, QVector<QStringList>> pending;  // per session
    qint64 receivedRows = 0;
    // A discarding table's rows committed, and those pending per session.
    qint64 committedCount = 0;
    std::map<const void*, qint64> pendingCount;
};

// An insert of the row writer's shape into a stand-in table: the table and,
// for each placeholder in order, the index of its column.
struct StubInsert {
    StubTable* table = nullptr;
    QVector<int> columnOfBind;
};

class StubTables {
public:
    static StubTables& instance();

    // Columns as "NAME TYPE, ..." with the types NUMBER, DATE, VARCHAR2(n),
    // TIMESTAMP(n), BINARY_FLOAT, BINARY_DOUBLE, LONG, LONG RAW, CLOB, BLOB.
    void create(const QString& name, const QString& columns, bool discard);
    void dropAll() { tables_.clear(); }

    // With TABLEWRIGHT_OCISTUB_DISCARD=1 every table that a statement of
    // the model creates gets a discarding table of the same name and
    // columns beside it, which takes its rows and answers their count, and
    // loses it when the model's table is dropped: the whole program can then
    // be measured without the model keeping rows. Called after every DDL
    // statement that succeeded, with the session's user.
    void followDefinition(const QString& sql, const peers::ModelOracle& model, const QString& owner);

    // The table of a describe query (select * from "T" where 1=0), or null.
    StubTable* queried(const QString& sql);
    // The discarding table of a count query (select count(*) from "T"), or null.
    StubTable* counted(const QString& sql);
    std::optional<StubInsert> insertOf(const QString& sql);
    // Converts one row's bind values for their columns and keeps it pending
    // for the session; a value the column does not take raises its ORA error.
    void insert(const StubInsert& insert, const QVector<tw::SqlValue>& values, const NlsSettings& nls,
                const void* session);

    // For a discarding table: judges one raw bind value of the given
    // external type against its column without converting it (an OCINumber
    // or a DATE checked byte by byte, text measured against VARCHAR2's
    // size); a value that does not fit raises the ORA error the full
    // conversion gives. False when it cannot judge the value that way:
    // checkValue then converts it.
    bool quickCheck(const StubInsert& insert, int bind, ub2 dataType, const unsigned char* data, ub4 length) const;
    void checkValue(const StubInsert& insert, int bind, const tw::SqlValue& value, const NlsSettings& nls) const;
    // Counts a checked row of a discarding table, pending for the session.
    void discardRow(const StubInsert& insert, const void* session);

    void commit(const void* session);
    void rollback(const void* session);

    // The committed rows, one line each, values separated by tabs.
    QByteArray rowsText(const QString& name) const;
    qint64 receivedRows(const QString& name) const;

private:
    StubTables();
    void add(std::unique_ptr<StubTable> table);

    std::map<QString, std::unique_ptr<StubTable>> tables_;
    bool discardModelTables_ = false;
};

} // namespace ocistub
