// The TCP port test of the main window: connect, report the outcome, close at once.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "Clock.h"
#include "NumericEdit.h"
#include "TncTelnet.h"
#include "uVelkorTool.h"

namespace {
constexpr std::uint32_t kWaitMs = 5000;
constexpr int kWakeMs = 10;  // the wait rereads the tick counter at least this often
}  // namespace

void TfMain::setupTelnet() {
    if (!Telnet1) Telnet1 = std::make_unique<TncTelnet>();
    Telnet1->OnConnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Connected(StatusCode, Description);
    };
    Telnet1->OnDisconnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Disconnected(StatusCode, Description);
    };
    handle(btnTelnet, &QPushButton::clicked, &TfMain::btnTelnetClick);
}

void TfMain::btnTelnetClick() {
    btnTelnet->setEnabled(false);
    const auto enable = qScopeGuard([this] { btnTelnet->setEnabled(true); });
    if (edTelnetHost->text().isEmpty()) {
        edTelnetHost->setFocus();
        return;
    }
    if (neTelnetPort->value() <= 0) {
        neTelnetPort->setFocus();
        return;
    }
    try {
        const int port = neTelnetPort->value();
        Telnet1->setConnected(false);
        Telnet1->setRemoteHost(edTelnetHost->text());
        Telnet1->setRemotePort(port);
        AddSysLog(QString());
        AddSysLog(QStringLiteral(">>>>> Start Telnet."));
        AddSysLog(QStringLiteral("Connecting to ") + Telnet1->RemoteHost() +
                  QStringLiteral(" Port: ") + QString::number(port) + QStringLiteral("..."));
        Telnet1->setConnected(true);
        waitForTelnet();
        if (!Telnet1->Connected())
            AddSysLog(QStringLiteral("Telnet Connection closed successfully."));
    } catch (const EncTelnet& e) {
        AddSysLog(QStringLiteral("!Telnet Error: ") + e.message());
    }
}

void TfMain::waitForTelnet() {
    // Unsigned difference of two readings: right also when the counter wraps in between.
    const std::uint32_t start = SystemClock().tickCount();
    QTimer wake;  // lets the event wait below return when nothing else happens
    wake.start(kWakeMs);
    while (std::uint32_t(SystemClock().tickCount() - start) < kWaitMs) {
        if (Telnet1->Connected()) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void TfMain::Telnet1Connected(int StatusCode, const QString& Description) {
    if (StatusCode != 0) {
        AddSysLog(QStringLiteral("Telnet Connection failed: ") + Description);
        return;
    }
    AddSysLog(QStringLiteral("Telnet Connection : ") + Description);
    Telnet1->Disconnect();
}

void TfMain::Telnet1Disconnected(int /*StatusCode*/, const QString& Description) {
    AddSysLog(QStringLiteral("Telnet Disconnected: ") + Description);
}
