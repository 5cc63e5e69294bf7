#pragma once

#include <QString>

// text followed by fill up to width characters; never shortens (width 0 returns text as is).
QString PadColumn(const QString& text, QChar fill, int width);
