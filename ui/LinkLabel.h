#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

// A label that opens an address in the default browser when clicked. By default it is blue,
// turns green and underlined while the mouse is over it; windows can set their own colours for
// rest, hover and after the first click (visited), and a permanent underline.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    using Opener = std::function<bool(const QUrl&)>;

    LinkLabel(const QString& caption, const QUrl& url, QWidget* parent = nullptr);

    const QUrl& url() const { return m_url; }
    bool hovered() const { return m_hovered; }
    bool visited() const { return m_visited; }
    void setColors(const QColor& normal, const QColor& hover, const QColor& visited);
    void setAlwaysUnderlined(bool on);

    // How addresses are opened; tests install their own (an empty one restores the desktop's).
    static void SetOpener(Opener opener);

  signals:
    void clicked();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void paintAs(bool hovered);

    QUrl m_url;
    QColor m_normal{0x0d, 0x47, 0xa1};
    QColor m_hover{0x00, 0x80, 0x00};
    QColor m_visitedColor;  // invalid: visited looks like normal
    bool m_alwaysUnderlined = false;
    bool m_hovered = false;
    bool m_visited = false;
};
