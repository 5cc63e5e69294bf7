// Receiving: Start and Stop, the packet handler, the detail view and the clock pane.
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "common/Clock.h"
#include "common/DateTimeFormat.h"
#include "netcomp/syslog/TncSysLog.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"

void TfSyslog::btnStartClick() {
    btnTest->setEnabled(true);
    if (ncSysLog->Active()) ncSysLog->SetActive(false);
    ncSysLog->SetActive(true);
    m_droppedBefore = 0;  // a fresh count from this Start on
    m_openingCounted = true;
    showDropped();
    m_droppedTimer->start();
    setWindowTitle(QStringLiteral("  >>> Listening syslog message...."));
    AddLogLine(FormatNow(stamp::StartStop) +
               QStringLiteral("  >>> Start Listening syslog message...."));
    btnStart->setEnabled(false);
    btnStop->setEnabled(true);
}

void TfSyslog::btnStopClick() {
    deactivate();
    if (m_droppedTimer->isActive()) showDropped();  // the count from Start to here
    m_droppedTimer->stop();
    setStopped();
    AddLogLine(FormatNow(stamp::StartStop) + QStringLiteral("  >>> Stop syslog message...."));
}

void TfSyslog::setStopped() {
    btnTest->setEnabled(false);
    btnStart->setEnabled(true);
    btnStop->setEnabled(false);
    setWindowTitle(QStringLiteral("Velkor Log."));
}

void TfSyslog::btnTestClick() {
    pnMessage->setVisible(true);
}

void TfSyslog::deactivate() {
    ncSysLog->SetActive(false);
    if (!m_openingCounted) return;
    m_openingCounted = false;
    m_droppedBefore += std::max(0LL, ncSysLog->DroppedCount());
}

void TfSyslog::showDropped() {
    const long long dropped = ncSysLog->DroppedCount();
    if (dropped < 0) {
        spDropped->setText(QStringLiteral("Dropped: not counted"));
        return;
    }
    const long long total = m_droppedBefore + (m_openingCounted ? dropped : 0);
    spDropped->setText(QStringLiteral("Dropped: ") + QLocale().toString(total));
}

void TfSyslog::ncSysLogPacketIn(TncSysLog*, int, const QString& Facility, int SeverityCode,
                                const QString& Severity, const QString& Timestamp,
                                const QString& Hostname, const QString& Message, bool,
                                const QString&, const QByteArray&, const QString& SourceAddress,
                                int) {
    const QChar blank(u' ');
    QString line;
    line.reserve(Timestamp.size() + Message.size() + 64);
    line += Timestamp;
    line += blank;
    if (cbFacility->isChecked()) line += Facility;
    line += blank;
    if (cbSeverity->isChecked()) line += Severity;
    line += blank;
    if (cbHostName->isChecked()) line += Hostname;
    line += blank;
    if (cbSourceAddress->isChecked()) line += SourceAddress;
    line += blank;
    line += Message;
    // Every received line keeps its severity for the list's colours and filter, ticked or not.
    // While automatic saves fail, the rotation is retried at most once a second.
    m_store->appendReceived(
        line, SeverityCode >= 0 && SeverityCode <= 7 ? SeverityCode : SyslogStore::kNoSeverity);
    spStatus->setText(QStringLiteral("Source Address: ") + SourceAddress);
}

void TfSyslog::LogBoxClick() {
    mmDetail->clear();
    const int row = m_store->selected();
    if (row >= 0 && row < m_store->count()) mmDetail->setPlainText(m_store->line(row));
}

void TfSyslog::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // FormShow: the clock pane becomes active and stays so, hidden or shown.
    tickClock();
    m_clockTimer->start();
}

void TfSyslog::tickClock() {
    ClockStatus1->setText(FormatNow(stamp::ClockPane));
}
