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

} // namespace tw
