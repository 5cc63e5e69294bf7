#include <QApplication>
#include <QIcon>

#include "app/uVelkorTool.h"
#include "syslog/uSyslog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Network-Tool"));
    // The installed desktop entry: window managers and the tray match the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.velkor.NetworkTool"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    // The main window comes first: closing it ends the program.
    TfMain fMain;
    TfSyslog fSyslog;
    fSyslog.setAttribute(Qt::WA_QuitOnClose, false);
    fSyslog.hide();
    fMain.setSyslogWindow(&fSyslog);

    fMain.show();
    return app.exec();
}
