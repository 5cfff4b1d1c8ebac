#include "app/CaptionTable.h"

#include "db/Failure.h"

#include <QFile>

namespace tw {

CaptionTable CaptionTable::fromText(const QString& text)
{
    CaptionTable table;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            table.rows_.append({line, QString()});
        else
            table.rows_.append({line.left(eq), line.mid(eq + 1)});
    }
    return table;
}

CaptionTable CaptionTable::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return fromText(QString::fromUtf8(file.readAll()));
}

QString CaptionTable::value(const QString& name) const
{
    for (const Row& row : rows_) {
        if (row.name.compare(name, Qt::CaseInsensitive) == 0)
            return row.value;
    }
    return QString();
}

} // namespace tw
