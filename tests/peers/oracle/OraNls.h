#pragma once

#include <QString>
#include <optional>

// The session's NLS settings that decide how the server reads text bound to
// a column of another type, and the readings themselves; the model keeps
// them per session, the stand-in client library for the tables it keeps.
namespace peers::ora {

struct NlsSettings {
    // Defaults of the AMERICAN_AMERICA locale (Oracle Database Globalization
    // Support Guide, "NLS_TIMESTAMP_FORMAT", "NLS_NUMERIC_CHARACTERS").
    QString numericCharacters = QStringLiteral(".,");  // decimal character, group separator
    QString timestampFormat = QStringLiteral("DD-MON-RR HH.MI.SSXFF AM");
    QString timestampTzFormat = QStringLiteral("DD-MON-RR HH.MI.SSXFF AM TZR");
    QString dateFormat = QStringLiteral("DD-MON-RR");

    // The settings a client sends at logon: the client's NLS_* environment
    // variables take effect only when NLS_LANG is set (Globalization Support
    // Guide, "Setting NLS Parameters": NLS environment variables).
    static NlsSettings fromClientEnvironment();
    // Sets one parameter of ALTER SESSION SET; false for an unknown one.
    bool set(const QString& parameter, const QString& value);
};

// A datetime read with a format model: the parts and the fraction in
// nanoseconds.
struct OraTimestamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    qint64 nanoseconds = 0;
    // The time zone offset read with TZH and TZM, in minutes east of UTC.
    std::optional<int> offsetMinutes;
    // "YYYY-MM-DD HH24:MI:SS.FFn", the fraction rounded to n digits as a
    // TIMESTAMP(n) column stores it.
    QString text(int fractionDigits) const;
    // The same with " +HH:MM" for the offset, as a TIMESTAMP(n) WITH TIME
    // ZONE column keeps it; without an offset read, "+00:00".
    QString zonedText(int fractionDigits) const;
};

// Reads text with a datetime format model made of the elements YYYY, RRRR,
// RR, YY, MM, MON, DD, HH24, HH12, HH, MI, SS, FF[1-9], X (the decimal
// character), AM/PM, TZH (a signed hour) and TZM (minutes) of the time zone
// offset, TZR (read and ignored) and punctuation, which
// matches any one non-alphanumeric character of the input (SQL Language
// Reference, "Format Models": datetime format elements and string-to-date
// conversion rules). A text that does not match raises ORA-01861 or ORA-01830.
OraTimestamp readTimestamp(const QString& text, const QString& format, QChar decimalCharacter);

// Reads text as an INTERVAL DAY(leading) TO SECOND(fractionDigits) value:
// "[+|-]D HH:MI:SS[.FF]", the form in which the server converts character
// data to a day-to-second interval (SQL Language Reference, "Interval
// Literals" and TO_DSINTERVAL's sql_format). Kept as "+DD HH:MI:SS.FFn" with
// the fraction rounded to the column's digits (the stand-in's choice of text).
// A text of another form raises ORA-01867, more days than the leading
// precision holds ORA-01873.
QString readDaySecondInterval(const QString& text, int leading, int fractionDigits);

// Reads a number written with the session's decimal character; any other
// text raises ORA-01722 (SQL Language Reference, "Number Format Models":
// implicit conversion uses NLS_NUMERIC_CHARACTERS).
double readNumber(const QString& text, QChar decimalCharacter);

} // namespace peers::ora
