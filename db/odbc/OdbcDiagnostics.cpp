#include "db/odbc/OdbcDiagnostics.h"

#include "db/Failure.h"
#include "db/odbc/OdbcApi.h"

#include <QStringList>

namespace tw {

QString odbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const QString& fallback)
{
    QStringList records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message,
                                            SQLSMALLINT(sizeof message / sizeof message[0]), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        const int shown = qMin<int>(length, int(sizeof message / sizeof message[0]) - 1);
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(message), shown).trimmed();
        const QString sqlState = QString::fromUtf16(reinterpret_cast<const char16_t*>(state), 5);
        records << QStringLiteral("%1 (SQLSTATE %2, native error %3)").arg(text, sqlState).arg(native);
    }
    return records.isEmpty() ? fallback : records.join(QLatin1Char('\n'));
}

void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call)
{
    if (SQL_SUCCEEDED(rc))
        return;
    throw Failure(odbcDiagnostics(handleType, handle,
                                  QStringLiteral("%1 failed with return code %2").arg(QLatin1String(call)).arg(rc)));
}

} // namespace tw
