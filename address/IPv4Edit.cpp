#include "address/IPv4Edit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "address/uIPTool.h"

IPv4Edit::IPv4Edit(const QString& address, QWidget* parent) : QFrame(parent) {
    // Drawn as one edit: a sunken frame on the base colour, the fields frameless inside it.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    const QRegularExpression part(QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?"));
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        auto* f = new QLineEdit(this);
        f->setFrame(false);
        f->setAlignment(Qt::AlignCenter);
        f->setMaxLength(3);
        f->setValidator(new QRegularExpressionValidator(part, f));
        f->setFixedWidth(f->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 6);
        f->installEventFilter(this);
        connect(f, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == 3 && i + 1 < m_fields.size()) moveTo(int(i) + 1, false);
        });
        m_fields[i] = f;
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            row->addWidget(dot);
        }
        row->addWidget(f);
    }
    setFocusProxy(m_fields[0]);
    setText(address);
}

QString IPv4Edit::text() const {
    QStringList parts;
    for (const QLineEdit* f : m_fields) parts << QString::number(f->text().toInt());
    return parts.join(u'.');
}

bool IPv4Edit::setText(const QString& address) {
    if (!IsValidIPv4(address)) return false;
    const QStringList parts = IntToIPv4(ParseIPv4(address)).split(u'.');
    for (std::size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->setText(parts.at(qsizetype(i)));
    return true;
}

int IPv4Edit::indexOf(QObject* field) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i] == field) return int(i);
    return -1;
}

void IPv4Edit::moveTo(int index, bool atEnd) {
    QLineEdit* f = field(index);
    f->setFocus(Qt::OtherFocusReason);
    if (atEnd)
        f->setCursorPosition(int(f->text().size()));
    else
        f->selectAll();
}

void IPv4Edit::fillEmptyFields() {
    for (QLineEdit* f : m_fields)
        if (f->text().isEmpty()) f->setText(QStringLiteral("0"));
}

bool IPv4Edit::eventFilter(QObject* watched, QEvent* event) {
    const int i = indexOf(watched);
    if (i < 0) return QFrame::eventFilter(watched, event);
    QLineEdit* f = field(i);
    if (event->type() == QEvent::FocusOut) {
        // Only when the focus leaves the whole edit: moving between fields keeps them as typed.
        if (indexOf(QApplication::focusWidget()) < 0) fillEmptyFields();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste)) {
        // A whole address fills the edit; a number goes into the field as typed; anything
        // else is refused rather than cut to fit.
        const QString pasted = QApplication::clipboard()->text().trimmed();
        if (setText(pasted)) return true;
        bool number = false;
        pasted.toUInt(&number);
        return !number;
    }
    const int last = int(m_fields.size()) - 1;
    const bool atStart = f->cursorPosition() == 0 && !f->hasSelectedText();
    const bool atEnd = f->cursorPosition() == f->text().size() && !f->hasSelectedText();
    switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Comma:
        case Qt::Key_Space:
            if (i < last && !f->text().isEmpty() && !f->hasSelectedText()) moveTo(i + 1, false);
            return true;
        case Qt::Key_Backspace:
            if (atStart && i > 0) {
                moveTo(i - 1, true);
                return true;
            }
            return false;
        case Qt::Key_Left:
            if (atStart && i > 0) {
                moveTo(i - 1, true);
                return true;
            }
            return false;
        case Qt::Key_Right:
            if (atEnd && i < last) {
                field(i + 1)->setFocus(Qt::OtherFocusReason);
                field(i + 1)->setCursorPosition(0);
                return true;
            }
            return false;
        default:
            return false;
    }
}
