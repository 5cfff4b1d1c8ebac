#pragma once

// Readable GoogleTest failure output for Qt strings and the value variant.

#include "db/SqlValue.h"

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& lines, std::ostream* out)
{
    *out << "{\n";
    for (const QString& line : lines)
        *out << "  \"" << line.toStdString() << "\"\n";
    *out << "}";
}

namespace tw {
inline void PrintTo(const SqlValue& value, std::ostream* out)
{
    *out << describe(value).toStdString();
}
} // namespace tw
