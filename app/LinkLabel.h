#pragma once

#include <QLabel>
#include <QUrl>

// A label that opens an address in the default browser when clicked and turns green while the
// mouse is over it.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& caption, const QUrl& url, QWidget* parent = nullptr);
    const QUrl& url() const { return m_url; }
    bool hovered() const { return m_hovered; }

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void paintAs(bool hovered);

    QUrl m_url;
    bool m_hovered = false;
};
