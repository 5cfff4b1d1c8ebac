#include "db/oci/PendingColumn.h"

#include "db/Failure.h"
#include "db/oci/CellValues.h"
#include "db/oci/OracleNativeValues.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace tw::oci {

namespace {

constexpr sb2 kNotNull = 0;
constexpr sb2 kNull = -1;
// Character and binary binds above this size are LONG binds to Oracle.
constexpr int kLongBindBytes = 4000;

bool isLob(const QString& typeName)
{
    return typeName == QLatin1String("BLOB") || typeName == QLatin1String("CLOB") || typeName == QLatin1String("NCLOB");
}

bool isLong(const QString& typeName)
{
    return typeName == QLatin1String("LONG") || typeName == QLatin1String("LONG RAW");
}

// Fixed-width values (NUMBER, DATE, BINARY_FLOAT, BINARY_DOUBLE) in one
// contiguous array with a parallel indicator array: a plain array bind.
// Values are encoded without allocating and copied into their slot.
class FixedWidthColumn : public PendingColumn {
public:
    FixedWidthColumn(const DescribedColumn& column, int width, ub2 externalType)
        : PendingColumn(column), width_(width), externalType_(externalType)
    {
    }

    void growTo(int rows) override
    {
        indicators_.resize(size_t(rows), kNull);
        values_.resize(size_t(rows) * size_t(width_));
    }

    void setNull(int row) override { indicators_[size_t(row)] = kNull; }

    void set(int row, const SqlValue& converted) override
    {
        if (converted.isNull()) {
            indicators_[size_t(row)] = kNull;
            return;
        }
        // A value that cannot be encoded leaves the slot as it was.
        char encoded[kWidest];
        encode(converted, encoded);
        std::memcpy(values_.data() + size_t(row) * size_t(width_), encoded, size_t(width_));
        indicators_[size_t(row)] = kNotNull;
    }

    bool takesCells(CellForm form) const override
    {
        switch (externalType_) {
        case SQLT_VNU:
            return form == CellForm::Int64 || form == CellForm::Bit || form == CellForm::DecimalText;
        case SQLT_DAT:
            return form == CellForm::Timestamp;
        default:
            return false;
        }
    }

    bool setCell(int row, CellForm form, const SourceCell& cell) override
    {
        char* slot = values_.data() + size_t(row) * size_t(width_);
        const bool written = externalType_ == SQLT_DAT ? dateFromCell(cell, slot) : numberFromCell(form, cell, slot);
        if (written)
            indicators_[size_t(row)] = kNotNull;
        return written;
    }

    void clear(int rows) override { std::fill_n(indicators_.begin(), rows, kNull); }

    void bind(OciStatement& statement, ub4 position) override
    {
        OciSession& session = statement.session();
        OCIBind* bind = nullptr;
        session.check(session.api().OCIBindByPos(statement.handle(), &bind, session.error(), position,
                                                 values_.data(), width_, externalType_, indicators_.data(), nullptr,
                                                 nullptr, 0, nullptr, OCI_DEFAULT));
    }

    qint64 heldBytes(int rows) const override { return qint64(rows) * width_; }
    qint64 bytesPerRow() const override { return width_; }

private:
    void encode(const SqlValue& converted, char* slot) const
    {
        switch (externalType_) {
        case SQLT_VNU:
            writeOracleNumber(converted, slot);
            return;
        case SQLT_DAT:
            writeOracleDate(converted.asDateTime(), slot);
            return;
        case SQLT_BFLOAT: {
            const float f = float(converted.asFloat());
            std::memcpy(slot, &f, sizeof f);
            return;
        }
        default: {
            const double d = converted.asFloat();
            std::memcpy(slot, &d, sizeof d);
            return;
        }
        }
    }

    static constexpr int kWidest = ORACLE_NUMBER_SIZE;
    const int width_;
    const ub2 externalType_;
    std::vector<char> values_;
    std::vector<sb2> indicators_;
};

// The bytes a character or binary column sends for a converted value.
QByteArray bytesOf(const SqlValue& converted)
{
    switch (converted.kind()) {
    case SqlValue::Kind::Bytes:
        return converted.asBytes();
    case SqlValue::Kind::Text:
        return converted.asText().toUtf8();
    default:
        return converted.toText().toUtf8();
    }
}

// Character and binary values of any length, handed to the client row by
// row through an in-bind callback (OCI_DATA_AT_EXEC). The client asks for
// each iteration's value while it executes the array, so rows of very
// different sizes (a 1 MiB BLOB beside empty ones) need no common stride,
// lengths are 4-byte (no 64 KiB cap of the 2-byte length arrays), and LOB
// columns take their data through the LOB data interface (binds of
// SQLT_LBI/SQLT_CHR into BLOB/CLOB columns), which Oracle documents for
// array inserts in one round trip. A zero-length value is NULL to Oracle,
// as an empty string is.
//
// Values are written one after the other into one buffer of the column,
// text encoded as UTF-8 straight into it: no allocation per value. Values
// that long columns take as value objects keep a buffer of their own per
// row instead, shared with the source's value where it is bytes, so that a
// large value is never copied.
class VariableLengthColumn : public PendingColumn {
public:
    VariableLengthColumn(const DescribedColumn& column, ub2 externalType)
        : PendingColumn(column), externalType_(externalType),
          long_(isLob(column.type.typeName) || isLong(column.type.typeName) || column.type.size > kLongBindBytes)
    {
    }

    bool bindsLast() const override { return long_; }

    void growTo(int rows) override
    {
        if (long_)
            values_.resize(rows);
        spans_.resize(size_t(rows));
        indicators_.resize(size_t(rows), kNull);
    }

    void setNull(int row) override
    {
        if (long_)
            dropLong(row);
        spans_[size_t(row)] = Span();
        indicators_[size_t(row)] = kNull;
    }

    void set(int row, const SqlValue& converted) override
    {
        if (long_)
            setLong(row, converted);
        else
            setShort(row, converted);
    }

    bool takesCells(CellForm form) const override
    {
        const OracleColumnType::Kind kind = column().type.kind;
        if (kind != OracleColumnType::Kind::Varchar2 && kind != OracleColumnType::Kind::Blob)
            return false;
        return bytesTake(form, kind == OracleColumnType::Kind::Blob);
    }

    bool setCell(int row, CellForm form, const SourceCell& cell) override
    {
        if (long_)
            dropLong(row);
        indicators_[size_t(row)] = kNull;
        const qsizetype start = buffer_.size();
        appendCellBytes(form, cell, buffer_, utf8_);
        keepSpan(row, start);
        return true;
    }

    void clear(int rows) override
    {
        if (long_)
            std::fill_n(values_.begin(), rows, QByteArray());
        std::fill_n(spans_.begin(), rows, Span());
        buffer_.truncate(0);
        std::fill_n(indicators_.begin(), rows, kNull);
        held_ = 0;
    }

    void bind(OciStatement& statement, ub4 position) override
    {
        OciSession& session = statement.session();
        // Long columns are always declared as long binds (more than 4000
        // bytes), whatever this batch holds, and short ones never are: the
        // order of the binds then holds for every batch.
        int largest = long_ ? kLongBindBytes + 1 : 1;
        for (const QByteArray& value : values_)
            largest = std::max(largest, int(value.size()));
        for (const Span& span : spans_)
            largest = std::max(largest, int(span.length));
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

    qint64 heldBytes(int) const override { return held_ + qint64(buffer_.size()); }

private:
    // Where a value lies in the column's buffer; for long columns, unless
    // inBuffer, in the row's own buffer.
    struct Span {
        size_t offset = 0;
        ub4 length = 0;
        bool inBuffer = false;
    };

    void dropLong(int row)
    {
        held_ -= values_[row].size();
        values_[row] = QByteArray();
        spans_[size_t(row)].inBuffer = false;
    }

    void setLong(int row, const SqlValue& converted)
    {
        dropLong(row);
        indicators_[size_t(row)] = kNull;
        if (converted.isNull())
            return;
        values_[row] = bytesOf(converted);
        held_ += values_[row].size();
        indicators_[size_t(row)] = kNotNull;
    }

    void setShort(int row, const SqlValue& converted)
    {
        indicators_[size_t(row)] = kNull;
        if (converted.isNull())
            return;
        const qsizetype start = buffer_.size();
        if (converted.kind() == SqlValue::Kind::Bytes) {
            const QByteArray bytes = converted.asBytes();
            buffer_.append(bytes.constData(), bytes.size());
        } else {
            const QString text = converted.kind() == SqlValue::Kind::Text ? converted.asText() : converted.toText();
            appendUtf8(buffer_, utf8_, text);
        }
        keepSpan(row, start);
    }

    // The bytes from start to the end of the buffer become the row's value.
    void keepSpan(int row, qsizetype start)
    {
        const qsizetype length = buffer_.size() - start;
        // A longer value would make this a LONG bind ahead of shorter ones;
        // no column of this kind holds more than 4000 bytes anyway.
        if (!long_ && length > kLongBindBytes)
            refuseLength(start, length);
        spans_[size_t(row)] = Span{size_t(start), ub4(length), true};
        indicators_[size_t(row)] = kNotNull;
    }

    // Kept out of keepSpan, which every value passes.
    [[noreturn]] void refuseLength(qsizetype start, qsizetype length)
    {
        buffer_.truncate(start);
        throw Failure(QStringLiteral("a value of %1 bytes does not fit a %2 column (at most %3 bytes)")
                          .arg(length)
                          .arg(column().type.typeName)
                          .arg(kLongBindBytes));
    }

    static sb4 supply(void* context, OCIBind*, ub4 iteration, ub4, void** buffer, ub4* length, ub1* piece,
                      void** indicator)
    {
        auto* self = static_cast<VariableLengthColumn*>(context);
        const Span& span = self->spans_[iteration];
        if (span.inBuffer) {
            *buffer = self->buffer_.data() + span.offset;
            *length = span.length;
        } else if (self->long_) {
            QByteArray& value = self->values_[int(iteration)];
            *buffer = value.data();
            *length = ub4(value.size());
        } else {
            *buffer = self->buffer_.data();
            *length = 0;
        }
        *piece = OCI_ONE_PIECE;
        *indicator = &self->indicators_[iteration];
        return OCI_CONTINUE;
    }

    const ub2 externalType_;
    const bool long_;
    QVector<QByteArray> values_;   // long columns' values set as value objects
    std::vector<Span> spans_;
    ValueBytes buffer_;            // the other values, one after the other
    std::vector<sb2> indicators_;
    QStringEncoder utf8_{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    qint64 held_ = 0;              // bytes of values_
};

// LOB values written into temporary LOBs as they are set and bound as LOB
// locators (SQLT_BLOB/SQLT_CLOB). Oracle refuses binds of more than 4000
// bytes to both a LONG and a LOB column in one statement (OCI-22295); a
// locator bind is no such bind, so a table with a LONG column takes its LOBs
// this way. The client holds only the locators; the temporary LOBs live in
// the server's temporary tablespace until the batch has been executed.
class TemporaryLobColumn : public PendingColumn {
public:
    TemporaryLobColumn(const DescribedColumn& column, std::shared_ptr<OciSession> session)
        : PendingColumn(column), session_(std::move(session)),
          externalType_(column.type.typeName == QLatin1String("BLOB") ? SQLT_BLOB : SQLT_CLOB)
    {
    }
    ~TemporaryLobColumn() override { clear(int(locators_.size())); }

    bool usesSession() const override { return true; }

    void growTo(int rows) override
    {
        locators_.resize(rows, nullptr);
        indicators_.resize(rows, kNull);
    }

    void setNull(int row) override { set(row, SqlValue()); }

    void set(int row, const SqlValue& converted) override
    {
        release(locators_[row]);
        locators_[row] = nullptr;
        indicators_[row] = kNull;
        const QByteArray bytes = converted.isNull() ? QByteArray() : bytesOf(converted);
        if (bytes.isEmpty())
            return;
        locators_[row] = temporaryLob(bytes);
        indicators_[row] = kNotNull;
    }

    void clear(int rows) override
    {
        for (int row = 0; row < rows; ++row) {
            release(locators_[row]);
            locators_[row] = nullptr;
            indicators_[row] = kNull;
        }
    }

    void bind(OciStatement& statement, ub4 position) override
    {
        OciSession& session = statement.session();
        OCIBind* bind = nullptr;
        session.check(session.api().OCIBindByPos(statement.handle(), &bind, session.error(), position,
                                                 locators_.data(), sb4(sizeof(OCILobLocator*)), externalType_,
                                                 indicators_.data(), nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    }

    qint64 heldBytes(int rows) const override { return qint64(rows) * bytesPerRow(); }
    qint64 bytesPerRow() const override { return qint64(sizeof(OCILobLocator*)); }

private:
    ub1 form() const { return column().charsetForm == SQLCS_NCHAR ? SQLCS_NCHAR : SQLCS_IMPLICIT; }

    OCILobLocator* temporaryLob(QByteArray bytes)
    {
        OciSession& session = *session_;
        session.requireLoggedOn();
        const OciApi& api = session.api();
        void* descriptor = nullptr;
        if (api.OCIDescriptorAlloc(session.env(), &descriptor, OCI_DTYPE_LOB, 0, nullptr) != OCI_SUCCESS)
            throw Failure(session.environmentErrorText(QStringLiteral("a LOB locator")));
        auto* locator = static_cast<OCILobLocator*>(descriptor);
        try {
            session.check(api.OCILobCreateTemporary(session.service(), session.error(), locator, 0, form(),
                                                    externalType_ == SQLT_BLOB ? OCI_TEMP_BLOB : OCI_TEMP_CLOB, 0,
                                                    OCI_DURATION_SESSION));
            // With a varying-width client character set (AL32UTF8) the
            // amount to write is given in bytes for CLOBs too.
            ub4 amount = ub4(bytes.size());
            session.check(api.OCILobWrite(session.service(), session.error(), locator, &amount, 1, bytes.data(),
                                          ub4(bytes.size()), OCI_ONE_PIECE, nullptr, nullptr, 0, form()));
        } catch (...) {
            release(locator);
            throw;
        }
        return locator;
    }

    // Frees a temporary LOB and its locator. A session that has logged off
    // has freed both with it.
    void release(OCILobLocator* locator)
    {
        if (!locator || !session_->isLoggedOn())
            return;
        session_->api().OCILobFreeTemporary(session_->service(), session_->error(), locator);
        session_->api().OCIDescriptorFree(locator, OCI_DTYPE_LOB);
    }

    std::shared_ptr<OciSession> session_;
    const ub2 externalType_;
    QVector<OCILobLocator*> locators_;
    QVector<sb2> indicators_;
};

} // namespace

namespace {

std::unique_ptr<PendingColumn> forColumn(const DescribedColumn& column, const std::shared_ptr<OciSession>& session,
                                         bool lobsAsLocators)
{
    const QString& name = column.type.typeName;
    if (lobsAsLocators && isLob(name))
        return std::make_unique<TemporaryLobColumn>(column, session);
    switch (column.type.kind) {
    case OracleColumnType::Kind::Number:
        return std::make_unique<FixedWidthColumn>(column, ORACLE_NUMBER_SIZE, SQLT_VNU);
    case OracleColumnType::Kind::Date:
        return std::make_unique<FixedWidthColumn>(column, ORACLE_DATE_SIZE, SQLT_DAT);
    case OracleColumnType::Kind::BinaryFloat:
        return name == QLatin1String("BINARY_FLOAT") ? std::make_unique<FixedWidthColumn>(column, 4, SQLT_BFLOAT)
                                                     : std::make_unique<FixedWidthColumn>(column, 8, SQLT_BDOUBLE);
    case OracleColumnType::Kind::Blob:
        return std::make_unique<VariableLengthColumn>(column, name == QLatin1String("RAW") ? SQLT_BIN : SQLT_LBI);
    case OracleColumnType::Kind::Varchar2:
    case OracleColumnType::Kind::Timestamp:
    case OracleColumnType::Kind::Other:
        break;
    }
    return std::make_unique<VariableLengthColumn>(column, SQLT_CHR);
}

} // namespace

std::vector<std::unique_ptr<PendingColumn>> PendingColumn::forTable(const QVector<DescribedColumn>& columns,
                                                                    const std::shared_ptr<OciSession>& session)
{
    const auto hasType = [&](bool (*test)(const QString&)) {
        return std::any_of(columns.begin(), columns.end(),
                           [&](const DescribedColumn& column) { return test(column.type.typeName); });
    };
    const bool lobsAsLocators = hasType(isLong) && hasType(isLob);
    std::vector<std::unique_ptr<PendingColumn>> pending;
    for (const DescribedColumn& column : columns)
        pending.push_back(forColumn(column, session, lobsAsLocators));
    return pending;
}

} // namespace tw::oci
