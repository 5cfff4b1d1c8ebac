#include "convert/OracleColumnNames.h"

#include "convert/TargetSql.h"
#include "convert/Tcc.h"

#include <QSet>

namespace tw {

namespace {
const int kFreeNamePrefix = 26;
const int kLastFreeSuffix = 9999;

QString plainName(const QString& sourceName, bool upperCase)
{
    return Tcc::NormalizeName(sourceName.left(kMaxNameLength), upperCase);
}
} // namespace

OracleColumnNames::OracleColumnNames(const QStringList& sourceNames, bool upperCase) : upperCase_(upperCase)
{
    QSet<QString> taken;
    for (const QString& source : sourceNames) {
        QString name = plainName(source, upperCase);
        if (taken.contains(name)) {
            const QString earlier = name;
            for (int k = 0; k <= kLastFreeSuffix && taken.contains(name); ++k)
                name = Tcc::NormalizeName(source.left(kFreeNamePrefix) + QStringLiteral("%1").arg(k, 4, 10, QLatin1Char('0')),
                                          upperCase);
            renamed_.append({source, name, earlier});
        }
        taken.insert(name);
        names_.insert(source, name);
    }
}

QString OracleColumnNames::of(const QString& sourceName) const
{
    return names_.value(sourceName, plainName(sourceName, upperCase_));
}

QStringList OracleColumnNames::renamedLines(const QString& targetTable) const
{
    QStringList lines;
    for (const Renamed& column : renamed_) {
        lines.append(QStringLiteral("Column %1 of %2 is named %3 in Oracle, as an earlier column has the name %4")
                         .arg(column.source, targetTable, column.name, column.earlier));
    }
    return lines;
}

} // namespace tw
