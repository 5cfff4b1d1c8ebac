#include "app/TableItems.h"

#include <QListWidgetItem>

namespace {
const int kSchemaRole = Qt::UserRole;
const int kNameRole = Qt::UserRole + 1;
const int kQualifiedRole = Qt::UserRole + 2;
} // namespace

QListWidgetItem* newTableItem(const tw::SourceTable& table)
{
    auto* item = new QListWidgetItem(table.entry());
    item->setData(kSchemaRole, table.schema);
    item->setData(kNameRole, table.name);
    item->setData(kQualifiedRole, table.qualified);
    return item;
}

tw::SourceTable tableOfItem(const QListWidgetItem& item)
{
    return {item.data(kSchemaRole).toString(), item.data(kNameRole).toString(), item.data(kQualifiedRole).toBool()};
}
