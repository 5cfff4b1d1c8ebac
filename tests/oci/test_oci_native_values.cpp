// Oracle's NUMBER and DATE forms built on the client, checked against the
// examples of Oracle's documentation of the NUMBER format.

#include "db/Failure.h"
#include "db/oci/OracleNativeValues.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using tw::SqlValue;
using tw::oci::oracleNumber;

// The NUMBER bytes of an OCINumber, without the length byte and padding.
QByteArray numberBytes(const SqlValue& value)
{
    const QByteArray vnu = oracleNumber(value);
    EXPECT_EQ(vnu.size(), 22);
    return vnu.mid(1, static_cast<unsigned char>(vnu[0]));
}

TEST(OracleNumber, MatchesTheDocumentedExamples)
{
    EXPECT_EQ(numberBytes(SqlValue(0)).toHex(), "80");
    EXPECT_EQ(numberBytes(SqlValue(5)).toHex(), "c106");
    EXPECT_EQ(numberBytes(SqlValue(-5)).toHex(), "3e6066");
    EXPECT_EQ(numberBytes(SqlValue(2767)).toHex(), "c21c44");
    EXPECT_EQ(numberBytes(SqlValue(-2767)).toHex(), "3d4a2266");
    EXPECT_EQ(numberBytes(SqlValue(100000)).toHex(), "c30b");
    EXPECT_EQ(numberBytes(SqlValue(1234567)).toHex(), "c402182e44");
}

TEST(OracleNumber, FractionsAlignOnBase100Digits)
{
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("0.1"))).toHex(), "c00b");
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("0.01"))).toHex(), "c002");
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("123.4500"))).toHex(), "c202182e");
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("-123.45"))).toHex(), "3d644e3866");
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("-0.000"))).toHex(), "80");
}

TEST(OracleNumber, KeepsFortyDigitsAndRoundsBeyond)
{
    // 38 significant digits (a decimal(38,10) value) take 19 base-100 digits.
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("1234567890123456789012345678.0123456789"))).size(), 20);
    // 41 nines round up to 1e41.
    EXPECT_EQ(numberBytes(SqlValue::decimal(QString(41, QLatin1Char('9')))).toHex(), "d50b");
    // A negative number of 20 base-100 digits has no closing 102.
    const QByteArray full = numberBytes(SqlValue::decimal(QStringLiteral("-") + QString(40, QLatin1Char('1'))));
    EXPECT_EQ(full.size(), 21);
    EXPECT_NE(static_cast<unsigned char>(full.back()), 102);
}

TEST(OracleNumber, IntegersAndDecimalTextInEveryWritingTakeTheSameForm)
{
    const struct {
        SqlValue value;
        QByteArray hex;
    } cases[] = {
        {SqlValue(std::numeric_limits<qint64>::max()), "ca0a1722490445374e3b08"},
        {SqlValue(std::numeric_limits<qint64>::min()), "355c4f441d62212f182b5d66"},
        {SqlValue::decimal(QStringLiteral("+5")), "c106"},
        {SqlValue::decimal(QStringLiteral(".5")), "c033"},
        {SqlValue::decimal(QStringLiteral("-.5")), "3f3366"},
        {SqlValue::decimal(QStringLiteral("5.")), "c106"},
        {SqlValue::decimal(QStringLiteral("007.50")), "c10833"},
        {SqlValue::decimal(QStringLiteral("-100")), "3d6466"},
        {SqlValue::decimal(QStringLiteral("0.000001")), "be02"},
        {SqlValue::decimal(QStringLiteral("99.99")), "c16464"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numberBytes(c.value).toHex(), c.hex) << tw::describe(c.value).toStdString();
        // Decimal text read where the driver left it, as Latin-1, gives the
        // same bytes.
        if (c.value.kind() == SqlValue::Kind::Decimal) {
            const QByteArray latin1 = c.value.asDecimal().text.toLatin1();
            char out[22];
            ASSERT_TRUE(tw::oci::writePlainOracleNumber(QLatin1String(latin1), out)) << latin1.constData();
            EXPECT_EQ(QByteArray(out + 1, out[0]).toHex(), c.hex) << latin1.constData();
        }
    }
    // Up to 18 significant digits are read as one integer, longer text digit
    // by digit: the same value either way gives the same bytes.
    const struct {
        SqlValue shortForm;
        const char* longText;
    } same[] = {
        {SqlValue::decimal(QStringLiteral("-1234567890123456.78")), "-1234567890123456.7800"},
        {SqlValue::decimal(QStringLiteral("0.000000000000000000000000000000000001")),
         "0.0000000000000000000000000000000000010"},
        {SqlValue(qint64(1234567890123456789)), "1234567890123456789"},
        {SqlValue::decimal(QStringLiteral("-.00000000000000000000000000000000000012")),
         "-0.0000000000000000000000000000000000001200"},
    };
    for (const auto& c : same) {
        char out[22];
        ASSERT_TRUE(tw::oci::writePlainOracleNumber(QLatin1String(c.longText), out)) << c.longText;
        EXPECT_EQ(QByteArray(out + 1, out[0]).toHex(), numberBytes(c.shortForm).toHex()) << c.longText;
    }
    for (const char* text : {"", "-", ".", "+.", "1.2.3", " 5", "5 ", "1,5", "\u0663"}) {
        EXPECT_THROW(oracleNumber(SqlValue::decimal(QString::fromUtf8(text))), tw::Failure) << text;
        char out[22];
        EXPECT_FALSE(tw::oci::writePlainOracleNumber(QLatin1String(text), out)) << text;
    }
}

TEST(OracleNumber, RangeLimits)
{
    EXPECT_THROW(oracleNumber(SqlValue::decimal(QStringLiteral("1") + QString(126, QLatin1Char('0')))), tw::Failure);
    EXPECT_EQ(numberBytes(SqlValue::decimal(QStringLiteral("0.") + QString(140, QLatin1Char('0')) + QStringLiteral("1")))
                  .toHex(),
              "80");
    EXPECT_THROW(oracleNumber(SqlValue::decimal(QStringLiteral("1e5"))), tw::Failure);
}

TEST(OracleDate, SevenBytesWholeSeconds)
{
    EXPECT_EQ(tw::oci::oracleDate(SqlValue::dateTime(2024, 2, 29, 23, 59, 58, 997).asDateTime()).toHex(),
              "787c021d183c3b");
    EXPECT_EQ(tw::oci::oracleDate(SqlValue::dateTime(1753, 1, 1).asDateTime()).toHex(), "75990101010101");
    EXPECT_THROW(tw::oci::oracleDate(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)), tw::Failure);
}

} // namespace
