#include <QApplication>

#include "uSyslog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Network-Tool"));
    TfSyslog syslogWindow;
    return 0;
}
