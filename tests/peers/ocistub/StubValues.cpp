#include "StubValues.h"

#include <QDateTime>
#include <cstring>

namespace ocistub {

namespace {

template <typename T>
T readScalar(const unsigned char* data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

template <typename T>
void writeScalar(void* target, T value)
{
    std::memcpy(target, &value, sizeof value);
}

} // namespace

tw::SqlValue numberFromOracle(const unsigned char* bytes, int length)
{
    if (length < 1 || length > 21)
        throw peers::OraError(1460, QStringLiteral("unimplemented or unreasonable conversion requested"));
    if (length == 1 && bytes[0] == 0x80)
        return tw::SqlValue(qint64(0));
    const bool positive = bytes[0] & 0x80;
    const int exponent = positive ? bytes[0] - 193 : 62 - bytes[0];
    QString digits;
    for (int i = 1; i < length; ++i) {
        if (!positive && bytes[i] == 102)
            break;
        const int digit = positive ? bytes[i] - 1 : 101 - bytes[i];
        digits += QStringLiteral("%1").arg(digit, 2, 10, QLatin1Char('0'));
    }
    // The first base-100 digit stands for 100^exponent.
    const int integerPairs = exponent + 1;
    QString integerPart;
    QString fraction;
    if (integerPairs <= 0) {
        fraction = QString(-integerPairs * 2, QLatin1Char('0')) + digits;
    } else {
        const QString padded = digits + QString(qMax(0, integerPairs * 2 - int(digits.size())), QLatin1Char('0'));
        integerPart = padded.left(integerPairs * 2);
        fraction = padded.mid(integerPairs * 2);
    }
    while (integerPart.startsWith(QLatin1Char('0')))
        integerPart.remove(0, 1);
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
    const QString sign = positive ? QString() : QStringLiteral("-");
    if (fraction.isEmpty()) {
        bool ok = false;
        const qint64 whole = (sign + integerPart).toLongLong(&ok);
        if (ok)
            return tw::SqlValue(whole);
        return tw::SqlValue::decimal(sign + integerPart);
    }
    return tw::SqlValue::decimal(sign + integerPart + QLatin1Char('.') + fraction);
}

tw::SqlValue dateFromOracle(const unsigned char* bytes)
{
    const int year = (bytes[0] - 100) * 100 + (bytes[1] - 100);
    const QDate date(year, bytes[2], bytes[3]);
    const QTime time(bytes[4] - 1, bytes[5] - 1, bytes[6] - 1);
    if (!date.isValid() || !time.isValid())
        throw peers::OraError(1858, QStringLiteral("a non-numeric character was found where a numeric was expected"));
    return tw::SqlValue(QDateTime(date, time, Qt::UTC));
}

QString textFromClient(const QByteArray& bytes, ub2 charsetId)
{
    return charsetId == AL32UTF8_ID ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray textToClient(const QString& text, ub2 charsetId)
{
    return charsetId == AL32UTF8_ID ? text.toUtf8() : text.toLatin1();
}

tw::SqlValue bindValue(ub2 dataType, const unsigned char* data, ub4 length, ub2 charsetId)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(length));
    switch (dataType) {
    case SQLT_VNU:
        if (length < 1 || data[0] + 1u > length)
            throw peers::OraError(1460, QStringLiteral("unimplemented or unreasonable conversion requested"));
        return numberFromOracle(data + 1, data[0]);
    case SQLT_NUM:
        return numberFromOracle(data, int(length));
    case SQLT_INT:
        switch (length) {
        case 1: return tw::SqlValue(qint64(readScalar<qint8>(data)));
        case 2: return tw::SqlValue(qint64(readScalar<qint16>(data)));
        case 4: return tw::SqlValue(qint64(readScalar<qint32>(data)));
        case 8: return tw::SqlValue(readScalar<qint64>(data));
        default: break;
        }
        break;
    case SQLT_FLT:
        if (length == sizeof(double))
            return tw::SqlValue(readScalar<double>(data));
        if (length == sizeof(float))
            return tw::SqlValue(double(readScalar<float>(data)));
        break;
    // Native floats (ocidfn.h SQLT_BFLOAT, SQLT_BDOUBLE): the machine's
    // float and double.
    case SQLT_BFLOAT:
        if (length == sizeof(float))
            return tw::SqlValue(double(readScalar<float>(data)));
        break;
    case SQLT_BDOUBLE:
        if (length == sizeof(double))
            return tw::SqlValue(readScalar<double>(data));
        break;
    case SQLT_DAT:
        if (length == ORACLE_DATE_SIZE)
            return dateFromOracle(data);
        break;
    case SQLT_STR:
        return tw::SqlValue(textFromClient(QByteArray(bytes.constData(), int(qstrnlen(bytes.constData(), length))),
                                           charsetId));
    case SQLT_CHR:
    case SQLT_AFC:
    case SQLT_LNG:
        return tw::SqlValue(textFromClient(bytes, charsetId));
    case SQLT_BIN:
    case SQLT_LBI:
        return tw::SqlValue(bytes);
    default:
        break;
    }
    throw peers::OraError(1460, QStringLiteral("unimplemented or unreasonable conversion requested"));
}

bool writeDefine(const DefineHandle& define, const tw::SqlValue& value, ub4 row, ub2 charsetId)
{
    char* target = static_cast<char*>(define.value) + std::size_t(row) * std::size_t(define.valueSize);
    sb2* indicator = define.indicator ? define.indicator + row : nullptr;
    ub2* length = define.returnLength ? define.returnLength + row : nullptr;
    if (value.isNull()) {
        if (!indicator)
            throw peers::OraError(1405, QStringLiteral("fetched column value is NULL"));
        *indicator = -1;
        return true;
    }
    if (indicator)
        *indicator = 0;
    switch (define.dataType) {
    case SQLT_INT: {
        const qint64 whole = value.toInteger();
        switch (define.valueSize) {
        case 1: writeScalar(target, qint8(whole)); break;
        case 2: writeScalar(target, qint16(whole)); break;
        case 4: writeScalar(target, qint32(whole)); break;
        case 8: writeScalar(target, whole); break;
        default: return false;
        }
        if (length)
            *length = ub2(define.valueSize);
        return true;
    }
    case SQLT_STR:
    case SQLT_CHR: {
        const QByteArray text = textToClient(value.toText(), charsetId);
        const int room = define.dataType == SQLT_STR ? define.valueSize - 1 : define.valueSize;
        const int copied = qMin(int(text.size()), qMax(room, 0));
        std::memcpy(target, text.constData(), std::size_t(copied));
        if (define.dataType == SQLT_STR && define.valueSize > 0)
            target[copied] = '\0';
        if (length)
            *length = ub2(copied);
        return true;
    }
    default:
        return false;
    }
}

} // namespace ocistub
