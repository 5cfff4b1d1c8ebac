#include "db/oci/OciStatement.h"

#include "db/Failure.h"

namespace tw::oci {

namespace {

// A column parameter descriptor from OCIParamGet, freed after use.
class ColumnParam {
public:
    ColumnParam(OciSession& session, OCIStmt* stmt, ub4 position) : session_(session)
    {
        session_.check(session_.api().OCIParamGet(stmt, OCI_HTYPE_STMT, session_.error(), &param_, position));
    }
    ~ColumnParam() { session_.api().OCIDescriptorFree(param_, OCI_DTYPE_PARAM); }
    ColumnParam(const ColumnParam&) = delete;
    ColumnParam& operator=(const ColumnParam&) = delete;

    // Reads an attribute into a zero-initialised value, so that a client
    // that writes fewer bytes (precision is ub1 in some describes, sb2 in
    // others) still yields the right number.
    template <typename T>
    T get(ub4 attribute) const
    {
        T value{};
        session_.check(session_.api().OCIAttrGet(param_, OCI_DTYPE_PARAM, &value, nullptr, attribute,
                                                 session_.error()));
        return value;
    }

    QString name() const
    {
        OraText* text = nullptr;
        ub4 size = 0;
        session_.check(session_.api().OCIAttrGet(param_, OCI_DTYPE_PARAM, &text, &size, OCI_ATTR_NAME,
                                                 session_.error()));
        return QString::fromUtf8(reinterpret_cast<const char*>(text), int(size));
    }

private:
    OciSession& session_;
    void* param_ = nullptr;
};

// An error handle of the session's environment, freed after use.
class ErrorHandle {
public:
    explicit ErrorHandle(OciSession& session) : session_(session)
    {
        if (session_.api().OCIHandleAlloc(session_.env(), &handle_, OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS
            || !handle_)
            throw Failure(session_.environmentErrorText(QStringLiteral("an error handle")));
    }
    ~ErrorHandle() { session_.api().OCIHandleFree(handle_, OCI_HTYPE_ERROR); }
    ErrorHandle(const ErrorHandle&) = delete;
    ErrorHandle& operator=(const ErrorHandle&) = delete;

    void* handle() const { return handle_; }
    OCIError* error() const { return static_cast<OCIError*>(handle_); }

private:
    OciSession& session_;
    void* handle_ = nullptr;
};

} // namespace

OciStatement::OciStatement(std::shared_ptr<OciSession> session, const QString& sql) : session_(std::move(session))
{
    session_->requireLoggedOn();
    const QByteArray text = sql.toUtf8();
    session_->check(session_->api().OCIStmtPrepare2(session_->service(), &stmt_, session_->error(),
                                                    reinterpret_cast<const OraText*>(text.constData()),
                                                    ub4(text.size()), nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT));
}

OciStatement::~OciStatement()
{
    // A session that has logged off has freed its statements with it.
    if (stmt_ && session_->isLoggedOn())
        session_->api().OCIStmtRelease(stmt_, session_->error(), nullptr, 0, OCI_DEFAULT);
}

ub2 OciStatement::statementType() const
{
    ub2 type = 0;
    session_->check(session_->api().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE,
                                               session_->error()));
    return type;
}

sword OciStatement::execute(ub4 iters, ub4 mode)
{
    session_->requireLoggedOn();
    return session_->api().OCIStmtExecute(session_->service(), stmt_, session_->error(), iters, 0, nullptr, nullptr,
                                          mode);
}

ub4 OciStatement::rowCount() const
{
    ub4 rows = 0;
    session_->check(session_->api().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT,
                                               session_->error()));
    return rows;
}

// As the OCI Programmer's Guide shows it ("Batch Error Mode"): the count on
// the statement, then each error record of the session's error handle
// copied by OCIParamGet into an error handle of the caller's, which gives
// the row (OCI_ATTR_DML_ROW_OFFSET) and the text; a second handle takes the
// errors of these calls, so that they cannot overwrite the records read.
QVector<BatchError> OciStatement::batchErrors() const
{
    ub4 count = 0;
    session_->check(session_->api().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_NUM_DML_ERRORS,
                                               session_->error()));
    QVector<BatchError> errors;
    if (count == 0)
        return errors;
    const ErrorHandle row(*session_);
    const ErrorHandle calls(*session_);
    const OciApi& api = session_->api();
    for (ub4 i = 0; i < count; ++i) {
        void* rowHandle = row.handle();
        BatchError error;
        if (api.OCIParamGet(session_->error(), OCI_HTYPE_ERROR, calls.error(), &rowHandle, i) != OCI_SUCCESS
            || api.OCIAttrGet(rowHandle, OCI_HTYPE_ERROR, &error.iteration, nullptr, OCI_ATTR_DML_ROW_OFFSET,
                              calls.error())
                != OCI_SUCCESS) {
            const QString text = session_->errorRecordsOf(calls.handle());
            throw Failure(text.isEmpty() ? QStringLiteral("The Oracle client gave no error record %1 of the "
                                                          "array insert.").arg(i)
                                         : text);
        }
        error.message = session_->errorRecordsOf(rowHandle);
        errors.append(error);
    }
    return errors;
}

QVector<DescribedColumn> OciStatement::describe()
{
    session_->check(execute(0, OCI_DESCRIBE_ONLY));
    ub4 count = 0;
    session_->check(session_->api().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT,
                                               session_->error()));
    QVector<DescribedColumn> columns;
    for (ub4 position = 1; position <= count; ++position) {
        const ColumnParam param(*session_, stmt_, position);
        DescribedColumn column;
        column.name = param.name();
        const ub2 dataType = param.get<ub2>(OCI_ATTR_DATA_TYPE);
        const int size = param.get<ub2>(OCI_ATTR_DATA_SIZE);
        const int precision = param.get<sb2>(OCI_ATTR_PRECISION);
        const int scale = param.get<sb1>(OCI_ATTR_SCALE);
        column.charsetForm = param.get<ub1>(OCI_ATTR_CHARSET_FORM);
        // A NUMBER without precision reports precision 0 and scale -127.
        const bool plainNumber = dataType == SQLT_NUM && precision == 0;
        column.type = OracleColumnType::fromTypeName(describedTypeName(dataType, column.charsetForm, precision, scale),
                                                     size, plainNumber ? -1 : precision, plainNumber ? -1 : scale);
        columns.append(column);
    }
    return columns;
}

QString describedTypeName(ub2 dataType, ub1 charsetForm, int precision, int scale)
{
    const bool national = charsetForm == SQLCS_NCHAR;
    switch (dataType) {
    case SQLT_CHR:
        return national ? QStringLiteral("NVARCHAR2") : QStringLiteral("VARCHAR2");
    case SQLT_AFC:
        return national ? QStringLiteral("NCHAR") : QStringLiteral("CHAR");
    case SQLT_NUM:
        return scale == -127 && precision != 0 ? QStringLiteral("FLOAT") : QStringLiteral("NUMBER");
    case SQLT_LNG:
        return QStringLiteral("LONG");
    case SQLT_DAT:
        return QStringLiteral("DATE");
    case SQLT_BIN:
        return QStringLiteral("RAW");
    case SQLT_LBI:
        return QStringLiteral("LONG RAW");
    case SQLT_IBFLOAT:
        return QStringLiteral("BINARY_FLOAT");
    case SQLT_IBDOUBLE:
        return QStringLiteral("BINARY_DOUBLE");
    case SQLT_CLOB:
        return national ? QStringLiteral("NCLOB") : QStringLiteral("CLOB");
    case SQLT_BLOB:
        return QStringLiteral("BLOB");
    case SQLT_TIMESTAMP:
    case TYPE_TIMESTAMP_INTERNAL:
        return QStringLiteral("TIMESTAMP");
    case SQLT_TIMESTAMP_TZ:
    case TYPE_TIMESTAMP_TZ_INTERNAL:
        return QStringLiteral("TIMESTAMP WITH TIME ZONE");
    case SQLT_TIMESTAMP_LTZ:
    case TYPE_TIMESTAMP_LTZ_INTERNAL:
        return QStringLiteral("TIMESTAMP WITH LOCAL TIME ZONE");
    case SQLT_INTERVAL_DS:
    case TYPE_INTERVAL_DS_INTERNAL:
        return QStringLiteral("INTERVAL DAY TO SECOND");
    default:
        return QStringLiteral("TYPE %1").arg(dataType);
    }
}

} // namespace tw::oci
