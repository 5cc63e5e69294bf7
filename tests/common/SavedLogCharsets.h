#pragma once

// The saved-log writer's character sets as each system names them: iconv names on Linux
// (SavedLogCharsets_linux.cpp), code page numbers on Windows (SavedLogCharsets_win.cpp).

#include <QString>

// A folder inside base where this process may not create files, or empty when the system gives
// no such folder to this process (root on Linux writes regardless).
QString DeniedFolder(const QString& base);
