#pragma once

#include "db/SqlValue.h"

#include <QString>

namespace tw {

// The type of a target column as the target describes it.
struct OracleColumnType {
    enum class Kind { Number, Varchar2, Date, Timestamp, BinaryFloat, Blob, Other };
    Kind kind = Kind::Other;
    QString typeName;     // as described: "NUMBER", "VARCHAR2", "DATE", "BLOB", ...
    int size = 0;         // VARCHAR2 size in bytes
    int precision = -1;   // NUMBER precision; -1 when not given
    int scale = -1;       // NUMBER scale; -1 when not given

    static OracleColumnType fromTypeName(const QString& typeName, int size = 0, int precision = -1,
                                         int scale = -1);
};

// Converts a source value for a target column of the given type, on the
// client, so that no session setting (such as the numeric characters of the
// client's locale) can change it:
// - NUMBER takes integers, exact decimals, Booleans (1/0), floats (their
//   shortest exact decimal form) and numeric text ("12.50", always with a
//   point), all as Integer or Decimal values;
// - DATE takes date-times, and text in the form yyyy-MM-dd[ HH:mm:ss[.zzz]];
// - the TIMESTAMP types take the same, text with up to nine fractional
//   digits, and give text "yyyy-MM-dd HH:mm:ss.fffffffff", which the session
//   reads with the timestamp format the target layer sets at logon;
// - BINARY_FLOAT and BINARY_DOUBLE take numbers, Booleans (1/0) and numeric
//   text written with a point, all as Float values;
// - VARCHAR2 takes every value as its text;
// - BLOB takes bytes, and text (GUIDs included) as its UTF-8 bytes;
// - NULL stays NULL for every type.
// A value that cannot become the column's kind is a Failure whose message
// names the value's kind and the column type.
SqlValue convertForOracleColumn(const SqlValue& value, const OracleColumnType& type);

// Whether the value already has the form convertForOracleColumn gives it
// for the column (NULL, an integer or decimal for NUMBER, a date-time for
// DATE, text for VARCHAR2, bytes for BLOB, a float for BINARY_*), so that
// it can be stored without a converted copy.
bool takesAsIs(const SqlValue& value, const OracleColumnType& type);

} // namespace tw
