#pragma once

// Readable gtest output for Qt strings and variant values.
#include "db/SqlValue.h"

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace tw {
inline void PrintTo(const SqlValue& value, std::ostream* os)
{
    *os << describe(value).toStdString();
}
} // namespace tw
