#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "app/PingRunner.h"
#include "app/PortTestRunner.h"
#include "app/TraceRunner.h"
#include "netcomp/adapters/TncIPInfo.h"
#include "netcomp/icmp/TncPing.h"
#include "netcomp/icmp/TncTraceRoute.h"
#include "netcomp/tcp/TncTelnet.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class LinkLabel;
class NumericEdit;
class TfSyslog;

// The main window's components, passed in so tests can script them; an empty member gets the
// real component.
struct TfMainComponents {
    std::unique_ptr<TncIPInfo> IPInfo1;
    std::unique_ptr<TncPing> ncPing1;
    std::unique_ptr<TncTraceRoute> ncTraceRoute1;
    std::unique_ptr<TncTelnet> Telnet1;
    // Whether the desktop has a notification area; empty asks the desktop.
    std::optional<bool> trayAvailable;
};

// The main window: reachability tests, the activity log, the source-adapter choice and the menu
// that opens the other windows. It holds controls and their wiring; what the tests do lives in
// the runners it gives its components to. Tests find the controls by their object names, which
// are the names the fields have here.
class TfMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfMain(TfMainComponents components = {}, QWidget* parent = nullptr);
    ~TfMain() override;

    // The syslog window made at start: the menu shows it, and it goes to the tray with this one.
    void setSyslogWindow(TfSyslog* window);
    // A non-modal window of the program's own that goes to the tray with the main window when
    // it is shown, and comes back with it. Only windows added here go: the tray icon's own
    // window, menus and tooltips are top-level widgets too on some desktops.
    void AddTrayCompanion(QWidget* window);

    // Appends a line to the activity log, selects it, and empties the log past 1000 lines.
    void AddSysLog(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Components (declared first: the runners below are made on them).
    std::unique_ptr<TncIPInfo> IPInfo1;
    std::unique_ptr<TncPing> ncPing1;
    std::unique_ptr<TncTraceRoute> ncTraceRoute1;
    std::unique_ptr<TncTelnet> Telnet1;

    // What the reachability tests do; the handlers below wire the controls to them.
    PingRunner m_ping;
    TraceRunner m_trace;
    PortTestRunner m_portTest;

    // The chosen source adapter.
    QString sNICName;
    QString sNICIP;

    // Button bar.
    QPushButton* btnPing;
    QCheckBox* cbLoopPing;
    QPushButton* btnTracerute;
    QPushButton* btnStopTrace;
    // Target row.
    QComboBox* edHostName;
    QComboBox* cbNICList;
    QLineEdit* edHostIP;
    NumericEdit* neByte;
    NumericEdit* neTimeOut;
    NumericEdit* neCount;
    QLabel* lbHostName;
    QLabel* lbNICList;
    QLabel* lbByte;
    QLabel* lbTimeOut;
    QLabel* lbCount;
    // Port-test row.
    QLineEdit* edTelnetHost;
    NumericEdit* neTelnetPort;
    QPushButton* btnTelnet;
    QLabel* lbTelnetHost;
    QLabel* lbTelnetPort;
    QLabel* lbForwardPort;
    // Activity log and its popup menu.
    QListWidget* LogBox;
    QMenu* pmSave;
    QAction* Log1;
    // Banner and status bar.
    QLabel* imgLogo;
    LinkLabel* lbWebSite;
    QLabel* stClock;
    QTimer* tmClock;
    // Main menu.
    QMenu* mnTools;
    QAction* GenCLI1;
    QAction* SyslogServer1;
    QAction* IP1;
    QAction* N1;

    // Notification-area icon and its popup menu (uVelkorTool_Tray.cpp).
    QSystemTrayIcon* trayIcon;
    QMenu* PopupMenu1;
    QAction* Open1;
    QAction* N4;
    QAction* Exit2;
    // False where the desktop has no notification area or refused the icon: minimising then
    // leaves the window minimised on the task bar.
    bool IsTrayUsable = false;

    TfSyslog* fSyslog = nullptr;

    void LoadNICList();
    void SelectNIC();
    void cbNICListClick();
    void Log1Click();
    void GenCLI1Click();
    void SyslogServer1Click();
    void IP1Click();
    void N1Click();

    // Ping, trace route and TCP port test (uVelkorTool_Reach.cpp).
    void btnPingClick();
    void cbLoopPingClick();
    void btnTraceruteClick();
    void btnStopTraceClick();
    void btnTelnetClick();
    // Tray residence and closing (uVelkorTool_Tray.cpp).
    bool FormCloseQuery();
    void Open1Click();
    void Exit2Click();
    void MinimizeToTray();
    void RestoreFromTray();

    void setupTray(std::optional<bool> trayAvailable);
    void hideToTray();
    void EndProgram();
    void setupReach();

    void FormCreate();
    void buildControls();
    void buildMenus();
    void nameControls();
    void connectHandlers();
    void tmClockTimer();

    // Runs handler for every emission of signal, under the standard error box.
    template <class Sender, class Signal>
    void handle(Sender* sender, Signal signal, void (TfMain::*handler)()) {
        ConnectHandler(sender, signal, this, handler);
    }

    std::vector<QPointer<QWidget>> m_trayCompanions;
    // Companions hidden together with the main window, shown again when it is restored.
    struct HiddenWindow {
        QPointer<QWidget> window;
        QPoint position;
    };
    std::vector<HiddenWindow> m_hiddenWithMain;
    bool m_syslogPlaced = false;  // the syslog window opens centred over this one, once
};
