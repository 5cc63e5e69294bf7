#pragma once

#include <QFrame>
#include <array>

class QLineEdit;

// IPv4 address edit of four fields, 0 to 255 each, that always holds a whole address: a field
// left empty counts (and, once the focus leaves the edit, shows) as 0. Typing "." or three
// digits moves on to the next field; Backspace at the start of a field and the arrow keys at its
// ends move between fields; pasting a dotted quad fills all four.
class IPv4Edit : public QFrame {
    Q_OBJECT
  public:
    explicit IPv4Edit(const QString& address = QStringLiteral("0.0.0.0"),
                      QWidget* parent = nullptr);

    // The address shown, as a dotted quad without leading zeros.
    QString text() const;
    // Shows address when it is a whole dotted quad and returns true; otherwise changes nothing
    // and returns false.
    bool setText(const QString& address);
    QLineEdit* field(int index) const { return m_fields.at(std::size_t(index)); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int indexOf(QObject* field) const;
    void moveTo(int index, bool atEnd);
    void fillEmptyFields();

    std::array<QLineEdit*, 4> m_fields{};
};
