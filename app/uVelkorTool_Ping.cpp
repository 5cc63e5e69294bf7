// The ping runner of the main window: a burst of five echoes, or one every 2000 ms until the
// check box is cleared.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "NumericEdit.h"
#include "PadColumn.h"
#include "TncPing.h"
#include "uVelkorTool.h"

namespace {
constexpr int kBurst = 5;
constexpr int kLoopIntervalMs = 2000;
}  // namespace

void TfMain::setupPing() {
    if (!ncPing1) ncPing1 = std::make_unique<TncPing>();
    ncPing1->setPacketSize(32);
    ncPing1->OnResponse = [this](TncPing*, int, const QString&, const QString&, int) {
        ncPing1Response();
    };
    tmLooping = new QTimer(this);
    tmLooping->setInterval(kLoopIntervalMs);
    handle(btnPing, &QPushButton::clicked, &TfMain::btnPingClick);
    handle(tmLooping, &QTimer::timeout, &TfMain::tmLoopingTimer);
    handle(cbLoopPing, &QCheckBox::toggled, &TfMain::cbLoopPingClick);
}

void TfMain::btnPingClick() {
    // A refused value ends the click here: nothing logged, counters and button as they were.
    ncPing1->setPacketSize(neByte->value());
    ncPing1->setTimeout(neTimeOut->value());
    ncPing1->setLocalHost(sNICIP.isEmpty() ? QString() : sNICIP);
    iCountPing = iPingSuccess = iPingFail = 0;
    btnPing->setEnabled(false);
    const auto enable = qScopeGuard([this] { btnPing->setEnabled(true); });

    if (cbLoopPing->isChecked()) {
        IsLoopPing = true;
        tmLooping->start();  // the first attempt follows at the first tick
        return;
    }
    AddSysLog(QString());
    AddSysLog(QStringLiteral(">>>>> Start Ping."));
    for (int i = 0; i < kBurst; ++i) pingAttempt(ncPing1->LocalHost());
    AddSysLog(pingSummary());
}

void TfMain::tmLoopingTimer() {
    if (IsLoopPing) {
        btnPing->setEnabled(false);
        pingAttempt(sNICIP);
        return;
    }
    tmLooping->stop();
    btnPing->setEnabled(true);
    AddSysLog(pingSummary());
}

void TfMain::cbLoopPingClick() {
    IsLoopPing = cbLoopPing->isChecked();
}

void TfMain::ncPing1Response() {
    ++iPingSuccess;
}

void TfMain::pingAttempt(const QString& source) {
    ++iCountPing;
    try {
        const QString head =
            QLatin1Char('[') + QString::number(iCountPing) + QStringLiteral("] Sending: ") +
            QString::number(neByte->value()) +
            (sNICIP.isEmpty() ? QStringLiteral(" bytes  ---> ")
                              : QStringLiteral(" bytes, From: ") + sNICName + QStringLiteral(" [") +
                                    source + QStringLiteral("]  ---> "));
        AddSysLog(PadColumn(head, QLatin1Char(' '), 30) + edHostName->currentText());
        ncPing1->PingHost(edHostName->currentText());
        AddPingReply();
    } catch (const EncPing& e) {
        ++iPingFail;
        AddPingError(e.message());
    }
}

void TfMain::AddPingReply() {
    // The component measures milliseconds, so the time carries "ms".
    AddSysLog(PadColumn(QStringLiteral("     >>> Success reply from: ") + ncPing1->ResponseSource(),
                        QLatin1Char(' '), 40) +
              PadColumn(QStringLiteral("Time: ") + QString::number(ncPing1->ResponseTime()) +
                            QStringLiteral("ms"),
                        QLatin1Char(' '), 15));
}

void TfMain::AddPingError(const QString& message) {
    const QString target =
        ncPing1->RemoteHost().isEmpty() ? edHostName->currentText() : ncPing1->RemoteHost();
    AddSysLog(PadColumn(QStringLiteral("  !Error sending.  ") + target, QLatin1Char(' '), 30) +
              message);
}

QString TfMain::pingSummary() const {
    return QStringLiteral("************ Ping Count: %1 Success: %2 Failed: %3 ************")
        .arg(iCountPing)
        .arg(iPingSuccess)
        .arg(iPingFail);
}
