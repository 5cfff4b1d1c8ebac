#pragma once

#include "convert/TableRef.h"

// A table of schema dbo, shown under its own name, becoming the target table.
inline tw::TableRef dboTable(const QString& name, const QString& target)
{
    return {{QStringLiteral("dbo"), name}, name, target};
}
