#pragma once

#include <QString>

// The text with every control character written as a visible escape, so a received message can
// never split a list line or a CR LF file line: "\r" "\n" "\t" "\0", other C0/C1 controls and
// DEL as "\xHH", line and paragraph separators as "\u2028" / "\u2029". Other text is unchanged.
QString VisibleControls(const QString& text);
