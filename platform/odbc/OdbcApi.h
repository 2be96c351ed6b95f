#pragma once
// The ODBC headers for the database client, the same API on both targets.
// On Windows <sql.h> needs the Windows types first.
#ifdef _WIN32
#include "platform/win32/WinSupport.h"
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

static_assert(sizeof(SQLWCHAR) == 2, "the client passes UTF-16 text to the wide ODBC calls");
