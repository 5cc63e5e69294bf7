// Residence in the notification area and the close request: every attempt to close the main
// window asks first; any answer but Yes, and the minimise box, send the window to the tray.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <utility>

#include "app/uVelkorTool.h"
#include "syslog/uSyslog.h"
#include "ui/Dialogs.h"
#include "ui/StandardError.h"

namespace {

const QString kCloseQuestion = QStringLiteral(
    "คุณต้องการปิดโปรแกรมหรือไม่?\n"
    "ถ้า Click \"No\" โปรแกรมจะอยู่ใน Trayicon");

}  // namespace

void TfMain::setupTray(std::optional<bool> trayAvailable) {
    // The program ends only through the close request: a box closed while the main window sits in
    // the tray must not end it as "the last window closed".
    QApplication::setQuitOnLastWindowClosed(false);

    PopupMenu1 = new QMenu(this);
    Open1 = PopupMenu1->addAction(QIcon(QStringLiteral(":/icons/app.png")),
                                  QStringLiteral("เปิดโปรแกรม"));
    N4 = PopupMenu1->addSeparator();
    Exit2 =
        PopupMenu1->addAction(QIcon(QStringLiteral(":/icons/stop.png")), QStringLiteral("&Exit"));
    handle(Open1, &QAction::triggered, &TfMain::Open1Click);
    handle(Exit2, &QAction::triggered, &TfMain::Exit2Click);

    trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/app.png")), this);
    trayIcon->setContextMenu(PopupMenu1);
    connect(trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick)
                    RunHandler([this] { RestoreFromTray(); });
            });
    IsTrayUsable = trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
    if (IsTrayUsable) trayIcon->show();
}

void TfMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    RunHandler([&] { canClose = FormCloseQuery(); });
    if (canClose) {
        event->accept();
        EndProgram();
    } else {
        event->ignore();
    }
}

bool TfMain::FormCloseQuery() {
    if (dialogs().confirm(this, ApplicationTitle(), kCloseQuestion) == Dialogs::Answer::Yes)
        return true;
    MinimizeToTray();
    return false;
}

void TfMain::EndProgram() {
    // Ending the program passes over the syslog window's own close handling (its list is not
    // saved then): hidden, it is not among the windows Qt closes on quitting, and exit() closes
    // none.
    if (fSyslog) fSyslog->hide();
    trayIcon->hide();
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TfMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The minimise box: the same way into the tray as a refused close. Hidden after the state
    // change has been handled, not inside it.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && IsTrayUsable)
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) hideToTray();
        });
}

void TfMain::MinimizeToTray() {
    setWindowState(windowState() | Qt::WindowMinimized);
    // Without a notification area the window stays minimised on the task bar.
    if (IsTrayUsable) hideToTray();
}

void TfMain::AddTrayCompanion(QWidget* window) {
    for (const QPointer<QWidget>& w : m_trayCompanions)
        if (w == window) return;
    m_trayCompanions.emplace_back(window);
}

void TfMain::hideToTray() {
    // The companions on screen go with it, so the tray icon is all that remains. Not every
    // top-level widget: on desktops whose notification area embeds icons as windows (XEmbed),
    // the icon is one, and hiding it empties the notification area for good.
    for (const QPointer<QWidget>& w : m_trayCompanions) {
        if (!w || !w->isVisible()) continue;
        m_hiddenWithMain.push_back({w, w->pos()});
        w->hide();
    }
    hide();
}

void TfMain::RestoreFromTray() {
    if (PopupMenu1->isVisible()) return;
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    // The windows that went with it come back where and as they were (a minimised one stays so).
    for (const HiddenWindow& h : std::exchange(m_hiddenWithMain, {})) {
        if (!h.window) continue;
        h.window->move(h.position);
        h.window->show();
    }
    raise();
    activateWindow();
}

void TfMain::Open1Click() {
    RestoreFromTray();
}

void TfMain::Exit2Click() {
    close();
}
