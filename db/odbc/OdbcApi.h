#pragma once

// The ODBC API headers; on Windows they need the system's types first.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
