#pragma once

#include <QMainWindow>

// The syslog server window: created hidden at start and kept for the whole run.
class TfSyslog : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfSyslog(QWidget* parent = nullptr);
};
