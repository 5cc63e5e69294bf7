#include "common/PadColumn.h"

QString PadColumn(const QString& text, QChar fill, int width) {
    return text.leftJustified(width, fill);  // never truncates: a longer text comes back as it is
}
