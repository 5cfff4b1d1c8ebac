#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <variant>

namespace tw {

// An exact decimal number kept as its canonical text: an optional minus sign,
// digits, and optionally a point followed by digits ("-1234.5600"). It never
// passes through a double, so decimal(38,10) and money values arrive exactly.
struct Decimal {
    QString text;
    bool operator==(const Decimal& other) const { return text == other.text; }
};

// One column value as it crosses the access layers. SQL NULL, integers,
// exact decimals, floating point, date-times, Unicode text, bytes and Booleans
// stay apart so that the target can convert each for its column type.
// Date-times carry no time zone: they are held as QDateTime values in UTC
// so that no local daylight-saving rule can shift or reject them.
class SqlValue {
public:
    enum class Kind { Null, Integer, Decimal, Float, DateTime, Text, Bytes, Boolean };

    SqlValue() = default;
    SqlValue(qint64 v) : v_(v) {}
    SqlValue(int v) : v_(qint64(v)) {}
    SqlValue(Decimal v) : v_(std::move(v)) {}
    SqlValue(double v) : v_(v) {}
    SqlValue(QDateTime v) : v_(std::move(v)) {}
    SqlValue(QString v) : v_(std::move(v)) {}
    SqlValue(const char* v) : v_(QString::fromUtf8(v)) {}
    SqlValue(QByteArray v) : v_(std::move(v)) {}
    SqlValue(bool v) : v_(v) {}

    static SqlValue decimal(const QString& text) { return SqlValue(Decimal{text}); }
    // A 32-bit real as the double of its shortest decimal form, so that 0.1f
    // is carried as 0.1 rather than as the digits of its binary expansion
    // (0.10000000149011612).
    static SqlValue real(float v);
    // A naive date-time (no zone) from its parts.
    static SqlValue dateTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0);

    Kind kind() const { return Kind(v_.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    qint64 asInteger() const { return std::get<qint64>(v_); }
    const Decimal& asDecimal() const { return std::get<Decimal>(v_); }
    double asFloat() const { return std::get<double>(v_); }
    const QDateTime& asDateTime() const { return std::get<QDateTime>(v_); }
    const QString& asText() const { return std::get<QString>(v_); }
    const QByteArray& asBytes() const { return std::get<QByteArray>(v_); }
    bool asBoolean() const { return std::get<bool>(v_); }

    // The value as text: NULL gives the empty text, numbers their decimal
    // form, date-times "yyyy-MM-dd HH:mm:ss[.zzz]", Booleans "True"/"False",
    // bytes their hexadecimal digits.
    QString toText() const;
    // The value as a 64-bit integer; NULL, non-numeric text or a number out of
    // range is a Failure naming the value.
    qint64 toInteger() const;

    bool operator==(const SqlValue& other) const { return v_ == other.v_; }
    bool operator!=(const SqlValue& other) const { return !(*this == other); }

private:
    std::variant<std::monostate, qint64, Decimal, double, QDateTime, QString, QByteArray, bool> v_;
};

// Short readable form for test failure output and diagnostics.
QString describe(const SqlValue& value);

} // namespace tw
