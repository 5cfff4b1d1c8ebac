#pragma once

#include <QString>
#include <optional>

namespace tw {

// Settings are text everywhere: switches as "1" or "0" (on only for exactly
// "1"), option indexes as decimal integers.
inline bool isOn(const QString& value)
{
    return value == QLatin1String("1");
}

inline QString onOff(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A decimal integer, blanks around it allowed; nothing for any other text.
std::optional<int> decimalInteger(const QString& text);

// The message of a value that is no integer: "'abc' is not a valid integer value".
QString notAnIntegerMessage(const QString& text);

// The existing-table option an index stands for: below -1 none chosen (-1),
// above 2 Skip (2).
int clampedExistingTableMode(int index);

// "Tables copied at once": 1 to 8, one by default.
constexpr int kMinTablesAtOnce = 1;
constexpr int kMaxTablesAtOnce = 8;
// The value of a saved setting: a missing or no integer value is 1, others
// are brought into the range.
int tablesAtOnceSetting(const QString& text);
// The value of a job's "paralleltables" line: 1 when the line is missing
// or empty; a Failure naming the key and the value for any text but an
// integer from 1 to 8.
int tablesAtOnceOfJob(const QString& text);

} // namespace tw
