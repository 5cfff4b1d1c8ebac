#include "db/SourceAccess.h"

#include "db/Failure.h"

namespace tw {

void SourceQuery::setSql(const QString& text)
{
    sqlLines_ = QStringList{text};
}

int SourceQuery::fieldIndex(const QString& name) const
{
    const int count = fieldCount();
    for (int i = 0; i < count; ++i) {
        if (fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw Failure(QStringLiteral("Field '%1' not found").arg(name));
}

} // namespace tw
