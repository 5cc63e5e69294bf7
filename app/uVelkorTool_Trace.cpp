// The trace route runner of the main window: one log line per hop; the stop button takes
// effect at the next hop report.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include "PadColumn.h"
#include "TncTraceRoute.h"
#include "uVelkorTool.h"

namespace {
// The hourglass for the guard's lifetime.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
}  // namespace

void TfMain::setupTrace() {
    if (!ncTraceRoute1) ncTraceRoute1 = std::make_unique<TncTraceRoute>();
    // Not under RunHandler: the component's event delivery takes what escapes the handler.
    ncTraceRoute1->OnHop = [this](TncTraceRoute*, int HopNumber, const QString& HostAddress,
                                  int Duration) {
        ncTraceRoute1Hop(HopNumber, HostAddress, Duration);
    };
    handle(btnTracerute, &QPushButton::clicked, &TfMain::btnTraceruteClick);
    handle(btnStopTrace, &QPushButton::clicked, &TfMain::btnStopTraceClick);
}

void TfMain::btnTraceruteClick() {
    const BusyCursor busy;
    btnTracerute->setEnabled(false);
    IsRunTrace = true;
    // Runs however the trace ends; the cursor follows when `busy` goes.
    const auto idle = qScopeGuard([this] {
        IsRunTrace = false;
        btnTracerute->setEnabled(true);
    });
    AddSysLog(QString());
    AddSysLog(QStringLiteral(">>>>> Start Trace Route. [No Resolve Name.]"));
    if (!edHostIP->text().isEmpty()) {
        ncTraceRoute1->setLocalHost(sNICIP);
        AddSysLog(QStringLiteral("Trace Route From: ") + sNICName + QStringLiteral("   --->   ") +
                  edHostName->currentText());
    }
    ncTraceRoute1->TraceTo(edHostName->currentText());
    AddSysLog(QStringLiteral("********** Trace Route Complete. **********"));
}

void TfMain::ncTraceRoute1Hop(int HopNumber, const QString& HostAddress, int Duration) {
    const QString address = HostAddress.isEmpty() ? QStringLiteral("***") : HostAddress;
    const QString time = Duration > 0 ? QStringLiteral("   Time: ") + QString::number(Duration) +
                                            QStringLiteral("ms.")
                                      : QString();
    AddSysLog(PadColumn(QStringLiteral("[Hop ") + QString::number(HopNumber + 1) +
                            QStringLiteral("] ---> ") + address,
                        QLatin1Char(' '), 40) +
              time);
    if (!IsRunTrace) {
        AddSysLog(QStringLiteral("********** Stop Trace Route. **********"));
        ncTraceRoute1->Reset();
    }
}

void TfMain::btnStopTraceClick() {
    IsRunTrace = false;
}
