#pragma once

#include <QMainWindow>
#include <memory>

class IPv4Edit;
class NumericEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QVBoxLayout;
class QWidget;
class SyslogLineModel;
class SyslogStore;
class TncSysLog;

// The syslog server window: created hidden at start and kept for the whole run; closing it only
// hides it. Receives through ncSysLog into its line store (SyslogStore: stamps, rotation into
// "auto-" files past the limit, saves), shows the store through a filtering list model, and
// carries the loopback sender panel pnMessage. The window holds controls and their wiring.
class TfSyslog : public QMainWindow {
    Q_OBJECT
  public:
    // component: the syslog component to use (tests pass a scripted one); null makes the real
    // one. The window owns neither a passed component's lifetime nor its other handlers.
    explicit TfSyslog(QWidget* parent = nullptr, TncSysLog* component = nullptr);
    ~TfSyslog() override;

    // Appends one of the window's own lines (with the local stamp when ticked) and rotates the
    // list past the limit.
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
    QLineEdit* edFilter;          // view filter: text
    QComboBox* cbFilterSeverity;  // view filter: lowest severity shown
    QLabel* spStatus;
    QLabel* spDropped;      // datagrams the system dropped since Start
    QLabel* spSaveFailure;  // shown while automatic saves fail
    QLabel* ClockStatus1;
    QWidget* pnMessage;
    IPv4Edit* edIP;
    NumericEdit* edPort;
    QLineEdit* edMessage;
    NumericEdit* edSendCount;
    QPushButton* btnSend;
    QPushButton* btnClose;
    TncSysLog* ncSysLog;

    // The syslog list as stored, and as LogBox shows it.
    const SyslogStore& store() const { return *m_store; }
    const SyslogLineModel& model() const { return *m_model; }
    // Store row of the selected line, -1 when none.
    int selectedRow() const;

    // How often the dropped-datagram pane is brought up to date while listening.
    static constexpr int kDroppedRefreshMs = 250;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildSenderPanel();
    void buildFilter(QVBoxLayout* page);
    void wireHandlers();
    void setStopped();
    void tickClock();
    // Closes the component, keeping what its opening dropped in the count since Start.
    void deactivate();
    void showDropped();
    void showSaveFailure();
    void applyFilter();
    // The view's selection follows the store's with the model's next batch, so a burst of
    // appends costs one layout and one scroll, not one per line.
    void selectionChanged();
    void applySelection();

    std::unique_ptr<SyslogStore> m_store;
    SyslogLineModel* m_model;
    QTimer* m_clockTimer;
    QTimer* m_droppedTimer;  // runs from Start to Stop
    // Datagrams dropped since Start in openings already closed (a test send closes and reopens),
    // and whether the component's own count belongs to the present span.
    long long m_droppedBefore = 0;
    bool m_openingCounted = false;
    bool m_selectionPending = false;
    bool m_applyingSelection = false;
    bool m_programEnding = false;  // the application is quitting: no before-close save
};
