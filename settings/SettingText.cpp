#include "settings/SettingText.h"

#include "db/Failure.h"

#include <algorithm>

namespace tw {

std::optional<int> decimalInteger(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

int clampedExistingTableMode(int index)
{
    return std::clamp(index, -1, 2);
}

int tablesAtOnceSetting(const QString& text)
{
    return std::clamp(decimalInteger(text).value_or(kMinTablesAtOnce), kMinTablesAtOnce, kMaxTablesAtOnce);
}

int tablesAtOnceOfJob(const QString& text)
{
    if (text.trimmed().isEmpty())
        return kMinTablesAtOnce;
    const std::optional<int> value = decimalInteger(text);
    if (!value || *value < kMinTablesAtOnce || *value > kMaxTablesAtOnce) {
        throw Failure(QStringLiteral("The job's paralleltables value '%1' is not a number of tables from %2 to %3")
                          .arg(text)
                          .arg(kMinTablesAtOnce)
                          .arg(kMaxTablesAtOnce));
    }
    return *value;
}

} // namespace tw
