#pragma once

#include <QLineEdit>
#include <QLocale>

// Edit for a whole number within bounds, shown and read in the default locale (its digits, its
// group separator and its sign; ASCII digits are taken too). While typing it takes any digits
// (so 9000 can be typed into a 32..5000 edit); when the focus leaves, a value outside the bounds
// becomes the nearest bound. An edit without digits reads as the lower bound. Optionally shows
// thousands grouping.
class NumericEdit : public QLineEdit {
    Q_OBJECT
  public:
    NumericEdit(int minimum, int maximum, int value, bool grouping = false,
                QWidget* parent = nullptr);

    // The number shown, clamped to the bounds; the lower bound when empty.
    int value() const;
    void setValue(int value);  // clamped to the bounds
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    bool grouping() const { return m_grouping; }

    // Replaces the text by the clamped value (what leaving the edit does).
    void commit();

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    friend class NumericEditValidator;

    int m_min;
    int m_max;
    bool m_grouping;
    QLocale m_shown;  // the locale the value was last written in: typing follows it
};
