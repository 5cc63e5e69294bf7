#pragma once

#include <QMainWindow>

class IPv4Edit;
class NumericEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;
class SyslogLineModel;
class TncSysLog;

// The syslog server window: created hidden at start and kept for the whole run; closing it only
// hides it. Receives through ncSysLog, keeps the syslog list (rotated into "auto-" files past the
// limit), and carries the loopback sender panel pnMessage.
class TfSyslog : public QMainWindow {
    Q_OBJECT
  public:
    // component: the syslog component to use (tests pass a scripted one); null makes the real
    // one. The window owns neither a passed component's lifetime nor its other handlers.
    explicit TfSyslog(QWidget* parent = nullptr, TncSysLog* component = nullptr);
    ~TfSyslog() override;

    // Appends a line (with the local stamp when ticked) and rotates the list past the limit.
    void AddLogLine(const QString& text);

    // Handlers, named after their controls; each runs under the standard error box when
    // invoked from the user interface.
    void btnStartClick();
    void btnStopClick();
    void btnTestClick();
    void btnClearLogClick();
    void btnSaveClick();
    void btnSendClick();
    void btnCloseClick();
    void LogBoxClick();
    // Returns whether the window may close (false when the before-close save failed).
    bool FormCloseQuery();
    void ncSysLogPacketIn(TncSysLog* sender, int FacilityCode, const QString& Facility,
                          int SeverityCode, const QString& Severity, const QString& Timestamp,
                          const QString& Hostname, const QString& Message, bool Conforms,
                          const QString& Packet, const QByteArray& PacketB,
                          const QString& SourceAddress, int SourcePort);

    // Controls, by their names.
    QPushButton* btnStart;
    QPushButton* btnStop;
    QPushButton* btnTest;
    QPushButton* btnSave;
    QPushButton* btnClearLog;
    NumericEdit* edValue;
    QCheckBox* cbFacility;
    QCheckBox* cbSeverity;
    QCheckBox* cbHostName;
    QCheckBox* cbSourceAddress;
    QCheckBox* cbStampdatetime;
    QListView* LogBox;
    QPlainTextEdit* mmDetail;
    QLabel* spStatus;
    QLabel* ClockStatus1;
    QWidget* pnMessage;
    IPv4Edit* edIP;
    NumericEdit* edPort;
    QLineEdit* edMessage;
    NumericEdit* edSendCount;
    QPushButton* btnSend;
    QPushButton* btnClose;
    TncSysLog* ncSysLog;

    // The syslog list as stored (read-only view for callers and tests).
    const SyslogLineModel& lines() const { return *m_model; }
    // Row selected in LogBox, -1 when none.
    int selectedRow() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildSenderPanel();
    void wireHandlers();
    // Adds a line that bears no stamp, is not selected and is not compared with the limit.
    void addNoticeLine(const QString& path);
    // Writes the whole list to directory/prefix<stamp>-log.txt and returns the full name.
    QString saveList(const QString& prefix);
    void setListening(bool listening);
    void setStopped();
    void tickClock();
    // The selection follows the store at once; the view catches up once per event-loop pass,
    // so a burst of appends costs one layout and one scroll, not one per line.
    void selectRow(int row);
    void applySelection();

    SyslogLineModel* m_model;
    QTimer* m_clockTimer;
    int m_selectedRow = -1;
    bool m_selectionPending = false;
    bool m_applyingSelection = false;
    bool m_programEnding = false;  // the application is quitting: no before-close save
};
