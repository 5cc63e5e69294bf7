#include "uSyslog.h"

TfSyslog::TfSyslog(QWidget* parent) : QMainWindow(parent) {}
