#include "settings/SettingText.h"

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

} // namespace tw
