#include "db/oci/PendingColumn.h"

#include "db/oci/OracleNativeValues.h"

#include <algorithm>

namespace tw::oci {

namespace {

constexpr sb2 kNotNull = 0;
constexpr sb2 kNull = -1;
// Character and binary binds above this size are LONG binds to Oracle.
constexpr int kLongBindBytes = 4000;

// Fixed-width values (NUMBER, DATE) in one contiguous array with a parallel
// indicator array: a plain array bind.
class FixedWidthColumn : public PendingColumn {
public:
    FixedWidthColumn(const DescribedColumn& column, int width, ub2 externalType)
        : PendingColumn(column), width_(width), externalType_(externalType)
    {
    }

    void appendRow() override
    {
        values_.append(QByteArray(width_, '\0'));
        indicators_.append(kNull);
    }

    void set(int row, const SqlValue& converted) override
    {
        if (converted.isNull()) {
            indicators_[row] = kNull;
            return;
        }
        const QByteArray bytes = externalType_ == SQLT_VNU ? oracleNumber(converted)
                                                          : oracleDate(converted.asDateTime());
        values_.replace(row * width_, width_, bytes);
        indicators_[row] = kNotNull;
    }

    void clear() override
    {
        values_.clear();
        indicators_.clear();
    }

    void bind(OciStatement& statement, ub4 position) override
    {
        OciSession& session = statement.session();
        OCIBind* bind = nullptr;
        session.check(session.api().OCIBindByPos(statement.handle(), &bind, session.error(), position,
                                                 values_.data(), width_, externalType_, indicators_.data(), nullptr,
                                                 nullptr, 0, nullptr, OCI_DEFAULT));
    }

private:
    const int width_;
    const ub2 externalType_;
    QByteArray values_;
    QVector<sb2> indicators_;
};

// Character and binary values of any length, one buffer per row, handed to
// the client row by row through an in-bind callback (OCI_DATA_AT_EXEC). The
// client asks for each iteration's value while it executes the array, so
// rows of very different sizes (a 1 MiB BLOB beside empty ones) need neither
// a common stride nor a copy, lengths are 4-byte (no 64 KiB cap of the
// 2-byte length arrays), and LOB columns take their data through the LOB
// data interface (binds of SQLT_LBI/SQLT_CHR into BLOB/CLOB columns), which
// Oracle documents for array inserts in one round trip. A zero-length value
// is NULL to Oracle, as an empty string is.
class VariableLengthColumn : public PendingColumn {
public:
    VariableLengthColumn(const DescribedColumn& column, ub2 externalType)
        : PendingColumn(column), externalType_(externalType)
    {
    }

    void appendRow() override
    {
        values_.append(QByteArray());
        indicators_.append(kNull);
    }

    void set(int row, const SqlValue& converted) override
    {
        if (converted.isNull()) {
            values_[row].clear();
            indicators_[row] = kNull;
            return;
        }
        switch (converted.kind()) {
        case SqlValue::Kind::Bytes:
            values_[row] = converted.asBytes();
            break;
        case SqlValue::Kind::Text:
            values_[row] = converted.asText().toUtf8();
            break;
        default:
            values_[row] = converted.toText().toUtf8();
            break;
        }
        indicators_[row] = kNotNull;
    }

    void clear() override
    {
        values_.clear();
        indicators_.clear();
    }

    void bind(OciStatement& statement, ub4 position) override
    {
        OciSession& session = statement.session();
        // Large-object columns are always declared as long binds (more than
        // 4000 bytes), whatever this batch holds: a short LOB bind after a
        // long one would count as a non-LONG bind after a LONG one.
        int largest = bindsLast() ? kLongBindBytes + 1 : 1;
        for (const QByteArray& value : values_)
            largest = std::max(largest, int(value.size()));
        OCIBind* bind = nullptr;
        session.check(session.api().OCIBindByPos(statement.handle(), &bind, session.error(), position, nullptr,
                                                 largest, externalType_, nullptr, nullptr, nullptr, 0, nullptr,
                                                 OCI_DATA_AT_EXEC));
        if (column().charsetForm == SQLCS_NCHAR) {
            ub1 form = SQLCS_NCHAR;
            session.check(session.api().OCIAttrSet(bind, OCI_HTYPE_BIND, &form, 0, OCI_ATTR_CHARSET_FORM,
                                                   session.error()));
        }
        session.check(session.api().OCIBindDynamic(bind, session.error(), this, &VariableLengthColumn::supply,
                                                   nullptr, nullptr));
    }

private:
    static sb4 supply(void* context, OCIBind*, ub4 iteration, ub4, void** buffer, ub4* length, ub1* piece,
                      void** indicator)
    {
        auto* self = static_cast<VariableLengthColumn*>(context);
        QByteArray& value = self->values_[int(iteration)];
        *buffer = value.data();
        *length = ub4(value.size());
        *piece = OCI_ONE_PIECE;
        *indicator = &self->indicators_[int(iteration)];
        return OCI_CONTINUE;
    }

    const ub2 externalType_;
    QVector<QByteArray> values_;
    QVector<sb2> indicators_;
};

} // namespace

bool PendingColumn::bindsLast() const
{
    const QString& name = column_.type.typeName;
    return name == QLatin1String("BLOB") || name == QLatin1String("CLOB") || name == QLatin1String("NCLOB")
        || name == QLatin1String("LONG RAW") || name == QLatin1String("LONG");
}

std::unique_ptr<PendingColumn> PendingColumn::forColumn(const DescribedColumn& column)
{
    switch (column.type.kind) {
    case OracleColumnType::Kind::Number:
        return std::make_unique<FixedWidthColumn>(column, ORACLE_NUMBER_SIZE, SQLT_VNU);
    case OracleColumnType::Kind::Date:
        return std::make_unique<FixedWidthColumn>(column, ORACLE_DATE_SIZE, SQLT_DAT);
    case OracleColumnType::Kind::Blob:
        return std::make_unique<VariableLengthColumn>(column,
                                                      column.type.typeName == QLatin1String("RAW") ? SQLT_BIN : SQLT_LBI);
    case OracleColumnType::Kind::Varchar2:
    case OracleColumnType::Kind::Other:
        break;
    }
    return std::make_unique<VariableLengthColumn>(column, SQLT_CHR);
}

} // namespace tw::oci
