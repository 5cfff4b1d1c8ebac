// Statements of the stand-in Oracle client: prepare, binds (plain arrays and
// in-bind callbacks), execute (array DML, describe-only, query), defines,
// fetch and the select-list describe, all run on the model database.
#include "StubCalls.h"
#include "StubTables.h"
#include "StubValues.h"

#include <QRegularExpression>

using namespace ocistub;

namespace {

ub2 statementTypeOf(const QString& sql)
{
    static const QRegularExpression firstWord(QStringLiteral("^\\s*\\(?\\s*([A-Za-z]+)"));
    const QString word = firstWord.match(sql).captured(1).toUpper();
    if (word == QLatin1String("SELECT") || word == QLatin1String("WITH"))
        return OCI_STMT_SELECT;
    if (word == QLatin1String("UPDATE"))
        return OCI_STMT_UPDATE;
    if (word == QLatin1String("DELETE"))
        return OCI_STMT_DELETE;
    if (word == QLatin1String("INSERT"))
        return OCI_STMT_INSERT;
    if (word == QLatin1String("CREATE"))
        return OCI_STMT_CREATE;
    if (word == QLatin1String("DROP"))
        return OCI_STMT_DROP;
    if (word == QLatin1String("ALTER"))
        return OCI_STMT_ALTER;
    if (word == QLatin1String("BEGIN"))
        return OCI_STMT_BEGIN;
    if (word == QLatin1String("DECLARE"))
        return OCI_STMT_DECLARE;
    return 0;
}

bool isDdl(ub2 type)
{
    return type == OCI_STMT_CREATE || type == OCI_STMT_DROP || type == OCI_STMT_ALTER;
}

// A select-list column as OCI describes it: type code, size in bytes,
// precision and scale (a plain NUMBER is precision 0, scale -127).
std::unique_ptr<ParamHandle> describeColumn(const peers::OraColumn& column, ub2 charset)
{
    auto param = std::make_unique<ParamHandle>();
    param->name = textToClient(column.name, charset);
    const QString type = column.type.toUpper();
    param->dataSize = ub2(column.length);
    const bool national = type.startsWith(QLatin1Char('N'));
    param->charsetForm = national ? SQLCS_NCHAR : SQLCS_IMPLICIT;
    if (type == QLatin1String("NUMBER") || type == QLatin1String("INTEGER")) {
        param->dataType = SQLT_NUM;
        param->dataSize = 22;
        param->precision = sb2(column.precision < 0 ? 0 : column.precision);
        param->scale = sb1(column.scale >= 0 ? column.scale : (column.precision < 0 ? -127 : 0));
    } else if (type == QLatin1String("FLOAT")) {
        param->dataType = SQLT_NUM;
        param->dataSize = 22;
        param->precision = sb2(column.precision < 0 ? 126 : column.precision);
        param->scale = -127;
    } else if (type == QLatin1String("VARCHAR2") || type == QLatin1String("NVARCHAR2")) {
        param->dataType = SQLT_CHR;
    } else if (type == QLatin1String("CHAR") || type == QLatin1String("NCHAR")) {
        param->dataType = SQLT_AFC;
    } else if (type == QLatin1String("DATE")) {
        param->dataType = SQLT_DAT;
        param->dataSize = ORACLE_DATE_SIZE;
    } else if (type == QLatin1String("BLOB")) {
        param->dataType = SQLT_BLOB;
    } else if (type == QLatin1String("CLOB") || type == QLatin1String("NCLOB")) {
        param->dataType = SQLT_CLOB;
    } else if (type == QLatin1String("RAW")) {
        param->dataType = SQLT_BIN;
    } else if (type == QLatin1String("LONG RAW")) {
        param->dataType = SQLT_LBI;
    } else if (type == QLatin1String("LONG")) {
        param->dataType = SQLT_LNG;
    } else if (type.startsWith(QLatin1String("INTERVAL DAY"))) {
        // INTERVAL DAY(d) TO SECOND(n): the leading precision and the
        // fractional-second digits (OCI Programmer's Guide, "Describing
        // Select-List Items": OCI_ATTR_PRECISION, OCI_ATTR_SCALE).
        param->dataType = SQLT_INTERVAL_DS;
        param->dataSize = 11;
        param->precision = sb2(column.precision);
        param->scale = sb1(column.scale);
    } else if (type.startsWith(QLatin1String("TIMESTAMP"))) {
        // A select-list describe gives the external datetime codes (ocidfn.h
        // SQLT_TIMESTAMP, SQLT_TIMESTAMP_TZ, SQLT_TIMESTAMP_LTZ; OCI
        // Programmer's Guide, "Describing Select-List Items") and the
        // fractional-second digits as the scale.
        param->dataType = type.contains(QLatin1String("LOCAL")) ? SQLT_TIMESTAMP_LTZ
            : type.contains(QLatin1String("ZONE"))              ? SQLT_TIMESTAMP_TZ
                                                                : SQLT_TIMESTAMP;
        param->dataSize = 11;
        param->scale = sb1(column.scale < 0 ? 6 : column.scale);
    } else if (type == QLatin1String("BINARY_FLOAT")) {
        param->dataType = SQLT_IBFLOAT;
    } else if (type == QLatin1String("BINARY_DOUBLE")) {
        param->dataType = SQLT_IBDOUBLE;
    } else {
        param->dataType = SQLT_CHR;
    }
    return param;
}

bool isCharacterOrBinary(ub2 dataType)
{
    return dataType == SQLT_CHR || dataType == SQLT_STR || dataType == SQLT_AFC || dataType == SQLT_LNG
        || dataType == SQLT_BIN || dataType == SQLT_LBI;
}

// Oracle takes a character or binary bind of more than 4000 bytes as a LONG
// bind, and refuses a statement in which a smaller bind follows one
// (ORA-24816). Choice: the stand-in applies the rule to the declared
// maximum sizes, which is stricter than Oracle's check of the actual data.
void checkLongBindOrder(const StmtHandle& statement)
{
    bool longSeen = false;
    for (const auto& [position, bind] : statement.binds) {
        const bool isLong = isCharacterOrBinary(bind->dataType) && bind->valueSize > 4000;
        if (longSeen && !isLong)
            throw peers::OraError(24816, QStringLiteral("Expanded non LONG bind data supplied after actual LONG or "
                                                        "LOB column"));
        longSeen = longSeen || isLong;
    }
}

bool isLongColumn(const QString& type)
{
    return type == QLatin1String("LONG") || type == QLatin1String("LONG RAW");
}

bool isLobColumn(const QString& type)
{
    return type == QLatin1String("BLOB") || type == QLatin1String("CLOB") || type == QLatin1String("NCLOB");
}

// "You can bind more than 4000 bytes of data to either a LONG column or one
// or more LOB columns but not both" in one insert or update (Oracle Database
// Error Messages, OCI-22295; Oracle8i LOB Developer's Guide, "Binding More
// Than 4,000 Bytes of Data"). Choice: as for ORA-24816, the stand-in judges
// a bind by its declared maximum size. LOB locator binds carry no data.
void checkLongAndLobBinds(const StmtHandle& statement, const StubInsert& insert)
{
    bool longColumn = false;
    bool lobColumn = false;
    for (const auto& [position, bind] : statement.binds) {
        if (position < 1 || int(position) > insert.columnOfBind.size() || !isCharacterOrBinary(bind->dataType)
            || bind->valueSize <= 4000)
            continue;
        const QString& type = insert.table->columns[insert.columnOfBind[int(position) - 1]].type;
        longColumn = longColumn || isLongColumn(type);
        lobColumn = lobColumn || isLobColumn(type);
    }
    if (longColumn && lobColumn)
        throw peers::OraError(22295, QStringLiteral("cannot bind more than 4000 bytes data to LOB and LONG columns "
                                                    "in 1 statement"));
}

// A LOB locator bound for an insert (SQLT_BLOB, SQLT_CLOB) stands for the
// content of the temporary LOB it points to.
tw::SqlValue locatorValue(const BindHandle& bind, ub4 iteration, ub2 charset)
{
    const auto* locators = static_cast<OCILobLocator* const*>(bind.value);
    const auto* lob = handleOf<LobHandle>(locators ? locators[iteration] : nullptr);
    if (!lob || !lob->temporary)
        throw peers::OraError(22275, QStringLiteral("invalid LOB locator specified"));
    if (bind.dataType == SQLT_BLOB)
        return tw::SqlValue(lob->data);
    return tw::SqlValue(textFromClient(lob->data, charset));
}

// One iteration's value of a bind as the caller hands it over.
struct RawValue {
    const unsigned char* data = nullptr;
    ub4 length = 0;
    bool null = false;
};

// Binds in OCI_DATA_AT_EXEC mode are asked for through their callbacks; the
// others are read from their arrays, value_sz apart.
RawValue rawValue(const BindHandle& bind, ub4 iteration)
{
    RawValue raw;
    sb2 indicator = 0;
    if (bind.mode & OCI_DATA_AT_EXEC) {
        if (!bind.callback)
            throw peers::OraError(3129, QStringLiteral("the next piece to be inserted is required"));
        void* buffer = nullptr;
        ub1 piece = OCI_ONE_PIECE;
        void* indicatorPointer = nullptr;
        auto* handle = reinterpret_cast<OCIBind*>(static_cast<StubHandle*>(const_cast<BindHandle*>(&bind)));
        if (bind.callback(bind.callbackContext, handle, iteration, 0, &buffer, &raw.length, &piece, &indicatorPointer)
            != OCI_CONTINUE)
            throw peers::OraError(24343, QStringLiteral("user defined callback error"));
        // Choice: the stand-in takes each value in one piece, which is all
        // that callbacks handing over whole buffers need.
        if (piece != OCI_ONE_PIECE)
            throw peers::OraError(3129, QStringLiteral("the next piece to be inserted is required"));
        raw.data = static_cast<const unsigned char*>(buffer);
        indicator = indicatorPointer ? *static_cast<const sb2*>(indicatorPointer) : 0;
    } else {
        raw.data = static_cast<const unsigned char*>(bind.value) + std::size_t(iteration) * std::size_t(bind.valueSize);
        raw.length = bind.lengths ? bind.lengths[iteration] : ub4(bind.valueSize);
        indicator = bind.indicators ? static_cast<const sb2*>(bind.indicators)[iteration] : 0;
    }
    // A zero-length character or binary value is NULL to Oracle.
    raw.null = indicator == -1 || (raw.length == 0 && isCharacterOrBinary(bind.dataType));
    return raw;
}

// The binds in placeholder order, all of them there: a statement with a
// placeholder left unbound fails as a whole.
std::vector<const BindHandle*> allBinds(const StmtHandle& statement)
{
    std::vector<const BindHandle*> binds;
    ub4 expected = 1;
    for (const auto& [position, bind] : statement.binds) {
        if (position != expected++)
            throw peers::OraError(1008, QStringLiteral("not all variables bound"));
        binds.push_back(bind.get());
    }
    return binds;
}

tw::SqlValue valueOf(const StmtHandle& statement, const BindHandle& bind, const RawValue& raw, ub4 iteration)
{
    const ub2 charset = bind.charsetForm == SQLCS_NCHAR ? statement.env->ncharset : statement.env->charset;
    if (raw.null)
        return tw::SqlValue();
    if (bind.dataType == SQLT_BLOB || bind.dataType == SQLT_CLOB)
        return locatorValue(bind, iteration, charset);
    return bindValue(bind.dataType, raw.data, raw.length, charset);
}

// The values of one iteration of the binds, in placeholder order.
QVector<tw::SqlValue> iterationBinds(const StmtHandle& statement, const std::vector<const BindHandle*>& binds,
                                     ub4 iteration)
{
    QVector<tw::SqlValue> values;
    for (const BindHandle* bind : binds)
        values.append(valueOf(statement, *bind, rawValue(*bind, iteration), iteration));
    return values;
}

// One iteration of an insert into a discarding table: each value is
// checked against its column, by its bytes where that is enough; nothing
// is kept.
void checkIteration(const StmtHandle& statement, const std::vector<const BindHandle*>& binds,
                    const StubInsert& insert, ub4 iteration, const NlsSettings& nls)
{
    StubTables& tables = StubTables::instance();
    int index = 0;
    for (const BindHandle* bind : binds) {
        const int bindIndex = index++;
        if (bindIndex >= insert.columnOfBind.size())
            break;
        const RawValue raw = rawValue(*bind, iteration);
        if (raw.null || tables.quickCheck(insert, bindIndex, bind->dataType, raw.data, raw.length))
            continue;
        tables.checkValue(insert, bindIndex, valueOf(statement, *bind, raw, iteration), nls);
    }
}

// Fetches up to rows rows into the defines; OCI_NO_DATA when none was left.
sword fetchRows(StmtHandle& statement, ErrorHandle* error, ub4 rows)
{
    if (!statement.haveResult)
        return fail(error, 24338, QStringLiteral("statement handle not executed"));
    ub4 fetched = 0;
    while (fetched < rows && statement.nextRow < statement.result.rows.size()) {
        const QVector<tw::SqlValue>& row = statement.result.rows[statement.nextRow++];
        for (const auto& [position, define] : statement.defines) {
            if (position < 1 || int(position) > row.size())
                return fail(error, 1007, QStringLiteral("variable not in select list"));
            try {
                if (!writeDefine(*define, row[int(position) - 1], fetched, statement.env->charset))
                    return fail(error, 1460, QStringLiteral("unimplemented or unreasonable conversion requested"));
            } catch (const peers::OraError& refused) {
                return fail(error, refused);
            }
        }
        ++fetched;
        ++statement.rowCount;
    }
    return fetched == 0 ? OCI_NO_DATA : OCI_SUCCESS;
}

sword executeQuery(peers::OraSession& session, StmtHandle& statement, ErrorHandle* error, ub4 iters, ub4 mode)
{
    if (StubTable* table = StubTables::instance().queried(statement.sql)) {
        statement.result = peers::OraResult{table->columns, {}};
    } else if (StubTable* table = StubTables::instance().counted(statement.sql)) {
        peers::OraColumn count;
        count.name = QStringLiteral("COUNT(*)");
        count.type = QStringLiteral("NUMBER");
        count.length = 22;
        statement.result = peers::OraResult{{count}, {{tw::SqlValue(table->committedCount)}}};
    } else {
        statement.result = session.execute(statement.sql, iterationBinds(statement, allBinds(statement), 0));
    }
    statement.haveResult = true;
    statement.nextRow = 0;
    statement.rowCount = 0;
    if ((mode & OCI_DESCRIBE_ONLY) || iters == 0)
        return OCI_SUCCESS;
    return fetchRows(statement, error, iters);
}

// Runs the statement once per iteration. Oracle stops an array DML at the
// first row it refuses: the rows before it stay done (uncommitted) and the
// row count tells how many. In batch error mode (OCI_BATCH_ERRORS; OCI
// Programmer's Guide, "Batch Error Mode" under OCIStmtExecute) it attempts
// every row instead: the rows it accepts stay done, each refused row is
// collected with its iteration, and the row count counts the rows done.
// Errors of the statement as a whole (bind checks) end it in either mode.
std::vector<RowError> executeDml(SessionHandle& session, StmtHandle& statement, ub4 iters, ub4 rowoff, ub4 mode)
{
    StubState& state = StubState::instance();
    statement.rowCount = 0;
    checkLongBindOrder(statement);
    const std::optional<StubInsert> stubInsert = StubTables::instance().insertOf(statement.sql);
    if (stubInsert)
        checkLongAndLobBinds(statement, *stubInsert);
    const bool discard = stubInsert && stubInsert->table->discard;
    if (!stubInsert)
        state.modelChanged();
    const std::vector<const BindHandle*> binds = allBinds(statement);
    std::vector<RowError> refused;
    for (ub4 iteration = rowoff; iteration < iters; ++iteration) {
        try {
            QVector<tw::SqlValue> values;
            if (discard)
                checkIteration(statement, binds, *stubInsert, iteration, session.nls);
            else
                values = iterationBinds(statement, binds, iteration);
            if (statement.statementType == OCI_STMT_INSERT && state.nextInsertRefused())
                throw peers::OraError(1, QStringLiteral("unique constraint (STUB.REFUSED_ROW) violated"));
            if (discard)
                StubTables::instance().discardRow(*stubInsert, &session);
            else if (stubInsert)
                StubTables::instance().insert(*stubInsert, values, session.nls, &session);
            else
                session.session.execute(statement.sql, values);
        } catch (const peers::OraError& error) {
            if (!(mode & OCI_BATCH_ERRORS))
                throw;
            refused.push_back(RowError{iteration, error.code, error.message});
            continue;
        }
        ++statement.rowCount;
    }
    return refused;
}

// ALTER SESSION SET name = value ...: the NLS settings that decide how text
// is read are kept by the stand-in for the tables it keeps and go to the
// model for its own, as NLS_LENGTH_SEMANTICS does. True when the statement
// was an ALTER SESSION.
bool alterSession(SessionHandle& session, const QString& sql)
{
    static const QRegularExpression alter(QStringLiteral("^\\s*alter\\s+session\\s+set\\s+(.*)$"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression setting(QStringLiteral("(\\w+)\\s*=\\s*('(?:[^']|'')*'|[^\\s']+)"));
    const QRegularExpressionMatch m = alter.match(sql);
    if (!m.hasMatch())
        return false;
    for (auto it = setting.globalMatch(m.captured(1)); it.hasNext();) {
        const QRegularExpressionMatch pair = it.next();
        if (pair.captured(1).compare(QLatin1String("NLS_LENGTH_SEMANTICS"), Qt::CaseInsensitive) == 0)
            session.session.execute(QStringLiteral("ALTER SESSION SET NLS_LENGTH_SEMANTICS = ") + pair.captured(2));
        else if (session.nls.set(pair.captured(1), pair.captured(2)))
            session.session.execute(QStringLiteral("ALTER SESSION SET %1 = %2").arg(pair.captured(1), pair.captured(2)));
        else
            throw peers::OraError(2248, QStringLiteral("invalid option for ALTER SESSION"));
    }
    return true;
}

} // namespace

OCISTUB_EXPORT sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp, const OraText* stmttext,
                                     ub4 stmt_len, const OraText*, ub4, ub4, ub4)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(svchp), "OCIStmtPrepare2");
    auto* service = handleOf<SvcCtxHandle>(svchp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!service || !error || !stmthp)
        return OCI_INVALID_HANDLE;
    auto statement = std::make_unique<StmtHandle>();
    statement->sql = textFromClientBytes(service->env, stmttext, stmt_len);
    statement->statementType = statementTypeOf(statement->sql);
    *stmthp = static_cast<OCIStmt*>(adopt(service->env, std::move(statement)));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIStmtRelease(OCIStmt* stmthp, OCIError*, const OraText*, ub4, ub4)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(stmthp), "OCIStmtRelease");
    auto* statement = handleOf<StmtHandle>(stmthp);
    if (!statement)
        return OCI_INVALID_HANDLE;
    release(statement);
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, ub4 position, void* valuep,
                                  sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2*, ub4, ub4*, ub4 mode)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(stmtp), "OCIBindByPos");
    auto* statement = handleOf<StmtHandle>(stmtp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!statement || !error || !bindpp)
        return OCI_INVALID_HANDLE;
    if (position == 0)
        return fail(error, 1036, QStringLiteral("illegal variable name/number"));
    auto bind = std::make_unique<BindHandle>();
    bind->env = statement->env;
    bind->position = position;
    bind->value = valuep;
    bind->valueSize = value_sz;
    bind->dataType = dty;
    bind->indicators = indp;
    bind->lengths = alenp;
    bind->mode = mode;
    *bindpp = reinterpret_cast<OCIBind*>(static_cast<StubHandle*>(bind.get()));
    // Binding a position again replaces its earlier bind.
    statement->binds[position] = std::move(bind);
    StubState::instance().record(
        QStringLiteral("BIND pos=%1 dty=%2 size=%3 mode=%4").arg(position).arg(dty).arg(value_sz).arg(mode));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIBindDynamic(OCIBind* bindp, OCIError*, void* ictxp, OCICallbackInBind icbfp, void*,
                                    OCICallbackOutBind)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(bindp), "OCIBindDynamic");
    auto* bind = handleOf<BindHandle>(bindp);
    if (!bind)
        return OCI_INVALID_HANDLE;
    bind->callbackContext = ictxp;
    bind->callback = icbfp;
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep,
                                    sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2*, ub4)
{
    const StubLock lock;
    auto* statement = handleOf<StmtHandle>(stmtp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!statement || !error || !defnpp)
        return OCI_INVALID_HANDLE;
    auto define = std::make_unique<DefineHandle>();
    define->env = statement->env;
    define->position = position;
    define->value = valuep;
    define->valueSize = value_sz;
    define->dataType = dty;
    define->indicator = static_cast<sb2*>(indp);
    define->returnLength = rlenp;
    *defnpp = reinterpret_cast<OCIDefine*>(static_cast<StubHandle*>(define.get()));
    statement->defines[position] = std::move(define);
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmthp, OCIError* errhp, ub4 iters, ub4 rowoff,
                                    const OCISnapshot*, OCISnapshot*, ub4 mode)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(stmthp), "OCIStmtExecute");
    auto* statement = handleOf<StmtHandle>(stmthp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!statement || !error)
        return OCI_INVALID_HANDLE;
    SessionHandle* session = liveSession(handleOf<SvcCtxHandle>(svchp));
    StubState& state = StubState::instance();
    const QString line = QStringLiteral("EXECUTE iters=%1 mode=%2").arg(iters).arg(mode);
    const QString sql = QStringLiteral(" sql=") + oneLine(statement->sql);
    if (!session || state.connectionDropped()) {
        state.record(line + QStringLiteral(" result=ORA-03114") + sql);
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    }
    if (state.executeDropsConnection()) {
        // The server is gone: its session's uncommitted work with it.
        session->session.rollback();
        StubTables::instance().rollback(session);
        state.record(line + QStringLiteral(" result=ORA-03113") + sql);
        return fail(error, 3113, QStringLiteral("end-of-file on communication channel"));
    }
    sword status = OCI_SUCCESS;
    QString outcome = QStringLiteral("OK");
    error->rowErrors.clear();
    statement->dmlErrors = 0;
    try {
        if (statement->statementType == OCI_STMT_SELECT) {
            status = executeQuery(session->session, *statement, error, iters, mode);
        } else if (iters == 0) {
            status = fail(error, 24333, QStringLiteral("zero iteration count"));
        } else if (!alterSession(*session, statement->sql)) {
            error->rowErrors = executeDml(*session, *statement, iters, rowoff, mode);
            statement->dmlErrors = ub4(error->rowErrors.size());
            // Refused rows make the execute a success with information,
            // ORA-24381 on the error handle and the rows' own errors behind
            // it ("Batch Error Mode").
            if (!error->rowErrors.empty()) {
                fail(error, 24381, QStringLiteral("error(s) in array DML"));
                status = OCI_SUCCESS_WITH_INFO;
            }
        }
    } catch (const peers::OraError& refused) {
        status = fail(error, refused);
    }
    // OCI_COMMIT_ON_SUCCESS commits the current transaction after the
    // execute when it completes successfully (OCI Programmer's Guide,
    // OCIStmtExecute): not after an error, nor after a batch-error execute
    // that refused rows (OCI_SUCCESS_WITH_INFO, "Batch Error Mode"). The
    // commit travels with the execute: one round trip, recorded as an
    // execute and a commit.
    const bool commits = status == OCI_SUCCESS && (mode & OCI_COMMIT_ON_SUCCESS)
        && statement->statementType != OCI_STMT_SELECT && !isDdl(statement->statementType);
    if (commits) {
        try {
            session->session.commit();
            StubTables::instance().commit(session);
        } catch (const peers::OraError& refused) {
            status = fail(error, refused);
        }
    }
    if (status == OCI_ERROR)
        outcome = QStringLiteral("ORA-%1").arg(error->code, 5, 10, QLatin1Char('0'));
    else if (status == OCI_SUCCESS_WITH_INFO)
        outcome = QStringLiteral("ORA-24381 refused=%1").arg(statement->dmlErrors);
    else if (status == OCI_NO_DATA)
        outcome = QStringLiteral("NO_DATA");
    state.record(line + QStringLiteral(" rows=%1 result=%2").arg(statement->rowCount).arg(outcome) + sql);
    if (commits && status == OCI_SUCCESS)
        state.record(QStringLiteral("COMMIT"));
    state.waitForServer(statement->statementType == OCI_STMT_SELECT ? 0 : iters);
    // DDL commits, whether it succeeds or not; so does a commit on success.
    if (isDdl(statement->statementType)) {
        if (status == OCI_SUCCESS)
            StubTables::instance().followDefinition(statement->sql, state.model(), session->session.user());
        state.save();
    }
    else if (commits && status == OCI_SUCCESS)
        state.saveIfModelChanged();
    return status;
}

OCISTUB_EXPORT sword OCIStmtFetch2(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2, sb4, ub4)
{
    const StubLock lock;
    const OneThreadAtATime oneThread(handleOf<StubHandle>(stmthp), "OCIStmtFetch2");
    auto* statement = handleOf<StmtHandle>(stmthp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!statement || !error)
        return OCI_INVALID_HANDLE;
    if (StubState::instance().connectionDropped())
        return fail(error, 3114, QStringLiteral("not connected to ORACLE"));
    return fetchRows(*statement, error, nrows);
}

namespace {

// The refused rows of a batch error mode execute: error record pos (from 0)
// of the execute's error handle goes into the error handle that the caller
// allocated and passes in *parmdpp ("Batch Error Mode": OCIParamGet(errhp,
// OCI_HTYPE_ERROR, errhp2, &errhndl, i)).
sword rowErrorGet(const ErrorHandle& executed, ErrorHandle* error, void** parmdpp, ub4 pos)
{
    auto* target = handleOf<ErrorHandle>(parmdpp ? *parmdpp : nullptr);
    if (!target)
        return OCI_INVALID_HANDLE;
    if (pos >= executed.rowErrors.size())
        return fail(error, 24334, QStringLiteral("no descriptor for this position"));
    const RowError& row = executed.rowErrors[pos];
    target->code = row.code;
    target->message = row.message;
    target->rowOffset = row.rowOffset;
    return OCI_SUCCESS;
}

} // namespace

OCISTUB_EXPORT sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos)
{
    const StubLock lock;
    auto* error = handleOf<ErrorHandle>(errhp);
    if (htype == OCI_HTYPE_ERROR) {
        auto* executed = handleOf<ErrorHandle>(hndlp);
        if (!executed || !error)
            return OCI_INVALID_HANDLE;
        return rowErrorGet(*executed, error, parmdpp, pos);
    }
    auto* statement = handleOf<StmtHandle>(hndlp);
    if (!statement || !error || htype != OCI_HTYPE_STMT || !parmdpp)
        return OCI_INVALID_HANDLE;
    if (!statement->haveResult)
        return fail(error, 24338, QStringLiteral("statement handle not executed"));
    if (pos < 1 || int(pos) > statement->result.columns.size())
        return fail(error, 24334, QStringLiteral("no descriptor for this position"));
    *parmdpp = adopt(statement->env, describeColumn(statement->result.columns[int(pos) - 1], statement->env->charset));
    return OCI_SUCCESS;
}

OCISTUB_EXPORT sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                                OCIError* errhp)
{
    const StubLock lock;
    auto* target = handleOf<StubHandle>(trgthndlp);
    auto* error = handleOf<ErrorHandle>(errhp);
    if (!target || target->type != trghndltyp || !attributep)
        return OCI_INVALID_HANDLE;
    if (auto* statement = dynamic_cast<StmtHandle*>(target)) {
        switch (attrtype) {
        case OCI_ATTR_STMT_TYPE:
            *static_cast<ub2*>(attributep) = statement->statementType;
            return OCI_SUCCESS;
        case OCI_ATTR_ROW_COUNT:
            *static_cast<ub4*>(attributep) = statement->rowCount;
            return OCI_SUCCESS;
        case OCI_ATTR_PARAM_COUNT:
            *static_cast<ub4*>(attributep) = ub4(statement->haveResult ? statement->result.columns.size() : 0);
            return OCI_SUCCESS;
        case OCI_ATTR_NUM_DML_ERRORS:
            *static_cast<ub4*>(attributep) = statement->dmlErrors;
            return OCI_SUCCESS;
        default:
            break;
        }
    } else if (auto* rowError = dynamic_cast<ErrorHandle*>(target); rowError && attrtype == OCI_ATTR_DML_ROW_OFFSET) {
        *static_cast<ub4*>(attributep) = rowError->rowOffset;
        return OCI_SUCCESS;
    } else if (auto* param = dynamic_cast<ParamHandle*>(target)) {
        switch (attrtype) {
        case OCI_ATTR_NAME:
            *static_cast<const char**>(attributep) = param->name.constData();
            if (sizep)
                *sizep = ub4(param->name.size());
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_TYPE:
            *static_cast<ub2*>(attributep) = param->dataType;
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_SIZE:
            *static_cast<ub2*>(attributep) = param->dataSize;
            return OCI_SUCCESS;
        case OCI_ATTR_PRECISION:
            *static_cast<sb2*>(attributep) = param->precision;
            return OCI_SUCCESS;
        case OCI_ATTR_SCALE:
            *static_cast<sb1*>(attributep) = param->scale;
            return OCI_SUCCESS;
        case OCI_ATTR_CHARSET_FORM:
            *static_cast<ub1*>(attributep) = param->charsetForm;
            return OCI_SUCCESS;
        default:
            break;
        }
    }
    return fail(error, 24315, QStringLiteral("illegal attribute type"));
}
