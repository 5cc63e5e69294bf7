// Shows one window on its own, for screenshots: "calc" (after a mask pick for 192.168.5.77),
// "sender" (the syslog window with its loopback sender panel open, not listening) or "about".
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <cstring>

#include "address/uCalIP.h"
#include "app/uAbout.h"
#include "syslog/uSyslog.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Network-Tool"));
    if (argc > 1 && std::strcmp(argv[1], "calc") == 0) {
        TfCalIP w;
        w.edCalIPAddress->setText(QStringLiteral("192.168.5.77"));
        w.edCalSubnetMAsk->setCurrentIndex(4);
        w.edCalSubnetMAskSelect(w.edCalSubnetMAsk);
        return w.exec();
    }
    if (argc > 1 && std::strcmp(argv[1], "sender") == 0) {
        TfSyslog w;
        w.btnTestClick();
        w.show();
        return QApplication::exec();
    }
    TfAbout w;
    return w.exec();
}
