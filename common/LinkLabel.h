#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

// A label that opens its address in the default browser when clicked. Optional colours for the
// mouse hovering over it and for after the first click (visited).
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    using Opener = std::function<bool(const QUrl&)>;

    explicit LinkLabel(const QUrl& url, QWidget* parent = nullptr);

    QUrl url() const { return m_url; }
    bool visited() const { return m_visited; }
    void setNormalColor(const QColor& c);
    void setHoverColor(const QColor& c) { m_hover = c; }
    void setVisitedColor(const QColor& c) { m_visitedColor = c; }

    // How addresses are opened; tests install their own (an empty one restores the desktop's).
    static void SetOpener(Opener opener);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    void applyColor(const QColor& c);
    QColor restingColor() const;

    QUrl m_url;
    QColor m_normal;
    QColor m_hover;
    QColor m_visitedColor;
    bool m_visited = false;
};
