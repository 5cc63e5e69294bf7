#include "NumericEdit.h"

#include <QLocale>
#include <QRegularExpressionValidator>
#include <algorithm>

NumericEdit::NumericEdit(int minimum, int maximum, int value, bool grouping, QWidget* parent)
    : QLineEdit(parent), m_min(minimum), m_max(maximum), m_grouping(grouping) {
    // Digits, and while grouping is shown the locale's group separator between them.
    QString allowed = QStringLiteral("0-9");
    if (m_grouping) allowed += QRegularExpression::escape(QLocale().groupSeparator());
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[%1]{0,15}").arg(allowed)), this));
    setValue(value);
}

int NumericEdit::value() const {
    QString digits;
    for (QChar c : text())
        if (c.isDigit()) digits += c;
    if (digits.isEmpty()) return m_min;
    bool ok = false;
    const qlonglong n = digits.toLongLong(&ok);
    if (!ok) return m_max;  // more digits than any bound
    return static_cast<int>(std::clamp<qlonglong>(n, m_min, m_max));
}

void NumericEdit::setValue(int value) {
    setText(format(std::clamp(value, m_min, m_max)));
}

void NumericEdit::commit() {
    setValue(value());
}

void NumericEdit::focusOutEvent(QFocusEvent* event) {
    commit();
    QLineEdit::focusOutEvent(event);
}

QString NumericEdit::format(int value) const {
    QLocale locale;
    const QLocale::NumberOptions options = locale.numberOptions();
    locale.setNumberOptions(m_grouping ? options & ~QLocale::OmitGroupSeparator
                                       : options | QLocale::OmitGroupSeparator);
    return locale.toString(value);
}
