// Receiving: Start and Stop, the packet handler, the detail view and the clock pane.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "Clock.h"
#include "DateTimeFormat.h"
#include "SyslogLineModel.h"
#include "TncSysLog.h"
#include "uSyslog.h"

void TfSyslog::btnStartClick() {
    btnTest->setEnabled(true);
    if (ncSysLog->Active()) ncSysLog->SetActive(false);
    ncSysLog->SetActive(true);
    setWindowTitle(QStringLiteral("  >>> Listening syslog message...."));
    AddLogLine(FormatNow(stamp::StartStop) +
               QStringLiteral("  >>> Start Listening syslog message...."));
    btnStart->setEnabled(false);
    btnStop->setEnabled(true);
}

void TfSyslog::btnStopClick() {
    ncSysLog->SetActive(false);
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

void TfSyslog::ncSysLogPacketIn(TncSysLog*, int, const QString& Facility, int,
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
    AddLogLine(line);
    spStatus->setText(QStringLiteral("Source Address: ") + SourceAddress);
}

void TfSyslog::LogBoxClick() {
    mmDetail->clear();
    if (m_selectedRow >= 0 && m_selectedRow < m_model->lines().size())
        mmDetail->setPlainText(m_model->lines().at(m_selectedRow));
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
