#include "PadColumn.h"

QString PadColumn(const QString& text, QChar fill, int width) {
    if (text.size() >= width) return text;
    return text + QString(width - text.size(), fill);
}
