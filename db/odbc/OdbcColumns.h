#pragma once

#include "db/SourceCell.h"
#include "db/SqlValue.h"
#include "db/odbc/OdbcApi.h"

#include <QString>
#include <QVector>

namespace tw {

// How a result column's values are fetched and which variant kind they become.
// Temporal: date, time, datetime2 and datetimeoffset, which become SQL
// Server's own text of the value.
enum class OdbcValueKind { Integer, Float, Boolean, Decimal, DateTime, Temporal, Guid, Text, Bytes };

// A result column as the driver describes it, with the way it is fetched.
struct OdbcColumn {
    QString name;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    // Decimal digits: the scale of numbers and of the fractional seconds.
    SQLSMALLINT digits = 0;
    OdbcValueKind kind = OdbcValueKind::Text;
    // Values of unbounded or large size: fetched piece by piece, never bound.
    bool isLong = false;

    SQLSMALLINT cType() const;
    // Bytes a bound buffer needs for one value (not for long columns).
    SQLLEN bufferWidth() const;
    // Bytes the driver adds after a character value in a buffer.
    SQLLEN terminatorBytes() const;
    // How a bound value lies in its buffer for a copy straight from there;
    // None for kinds that always become value objects (floating point,
    // whose reals take their shortest decimal form, and the text of the
    // newer date and time types).
    CellForm cellForm() const;
};

// The columns of the statement's current result, in order.
QVector<OdbcColumn> describeColumns(SQLHSTMT statement);

// The value held in a fetched buffer of the column's C type; the indicator is
// its length in bytes or SQL_NULL_DATA.
SqlValue valueFromBuffer(const OdbcColumn& column, const char* data, SQLLEN indicator);

// Reads the column of the current row with SQLGetData, a long value in
// pieces until the driver has delivered all of it.
SqlValue readColumnData(SQLHSTMT statement, SQLUSMALLINT number, const OdbcColumn& column);

// Exact decimal text as a driver writes it, in the canonical form of the
// variant: "-.5" becomes "-0.5".
QString canonicalDecimalText(const QString& text);

} // namespace tw
