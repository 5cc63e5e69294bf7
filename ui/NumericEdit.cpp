#include "ui/NumericEdit.h"

#include <QValidator>
#include <algorithm>
#include <optional>

namespace {

// Beyond every bound an edit can have; more digits only keep the reading here.
constexpr qint64 kBeyond = qint64(1) << 40;
constexpr int kMaxDigits = 15;

// Characters that draw nothing (the direction marks around Arabic and Persian signs).
bool Invisible(char32_t c) {
    return QChar::category(c) == QChar::Other_Format;
}

bool IsGroupSeparator(char32_t c, const QLocale& locale) {
    const QString group = locale.groupSeparator();
    if (group.size() == 1 && c == group.at(0).unicode()) return true;
    // Where the separator is a (narrow) no-break space, a typed space stands for it.
    return c == u' ' && !group.isEmpty() && group.at(0).isSpace();
}

bool IsMinus(char32_t c, const QLocale& locale) {
    if (c == u'-' || c == U'\u2212') return true;
    for (char32_t s : locale.negativeSign().toUcs4())
        if (!Invisible(s) && s == c) return true;
    return false;
}

struct Reading {
    std::optional<qint64> number;  // empty: no digit
    bool valid = true;             // only sign, digits and separators where they may stand
};

// Reads a whole number as a locale shows it: an optional leading minus, then decimal digits of
// any script (the locale's own and ASCII), with group separators among them when allowed.
Reading Read(const QString& text, const QLocale& locale, bool grouping, bool signAllowed) {
    Reading r;
    bool negative = false;
    bool digitSeen = false;
    int digits = 0;
    qint64 magnitude = 0;
    for (char32_t c : text.toUcs4()) {
        if (Invisible(c)) continue;
        if (QChar::isDigit(c)) {
            digitSeen = true;
            if (++digits > kMaxDigits) r.valid = false;
            magnitude = std::min(magnitude * 10 + QChar::digitValue(c), kBeyond);
        } else if (!digitSeen && !negative && signAllowed && IsMinus(c, locale)) {
            negative = true;
        } else if (grouping && IsGroupSeparator(c, locale)) {
            // anywhere: deleting the first digit of "1,500" leaves ",500"
        } else {
            r.valid = false;
        }
    }
    if (digitSeen) r.number = negative ? -magnitude : magnitude;
    return r;
}

}  // namespace

// Refuses a keystroke that would leave anything but a sign, digits and group separators.
class NumericEditValidator : public QValidator {
  public:
    explicit NumericEditValidator(NumericEdit* edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString& input, int&) const override {
        const Reading r = Read(input, m_edit->m_shown, m_edit->m_grouping, m_edit->m_min < 0);
        return r.valid ? Acceptable : Invalid;
    }

  private:
    NumericEdit* m_edit;
};

NumericEdit::NumericEdit(int minimum, int maximum, int value, bool grouping, QWidget* parent)
    : QLineEdit(parent), m_min(minimum), m_max(maximum), m_grouping(grouping) {
    setValidator(new NumericEditValidator(this));
    setValue(value);
}

int NumericEdit::value() const {
    const Reading r = Read(text(), m_shown, m_grouping, m_min < 0);
    if (!r.number) return m_min;
    return static_cast<int>(std::clamp<qint64>(*r.number, m_min, m_max));
}

void NumericEdit::setValue(int value) {
    m_shown = QLocale();
    QLocale shown = m_shown;
    const QLocale::NumberOptions options = shown.numberOptions();
    shown.setNumberOptions(m_grouping ? options & ~QLocale::OmitGroupSeparator
                                      : options | QLocale::OmitGroupSeparator);
    setText(shown.toString(std::clamp(value, m_min, m_max)));
}

void NumericEdit::commit() {
    setValue(value());
}

void NumericEdit::focusOutEvent(QFocusEvent* event) {
    commit();
    QLineEdit::focusOutEvent(event);
}
