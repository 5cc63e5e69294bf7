#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <functional>

#include "address/uCalIP.h"
#include "app/uAbout.h"
#include "app/uVelkorTool.h"
#include "syslog/uSyslog.h"
#include "tests/app/MainControls.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/LinkLabel.h"
#include "ui/StandardError.h"

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Answer = Dialogs::Answer;

const QString kCloseQuestion =
    QStringLiteral("คุณต้องการปิดโปรแกรมหรือไม่?\nถ้า Click \"No\" โปรแกรมจะอยู่ใน Trayicon");

std::unique_ptr<TfMain> MakeMain(bool trayAvailable) {
    TfMainComponents parts;
    // No adapters: the window must not depend on this machine's interfaces.
    parts.IPInfo1 = std::make_unique<TncIPInfo>([] { return AdapterQueryResult{{}, 0, {}}; });
    parts.trayAvailable = trayAvailable;
    auto w = std::make_unique<TfMain>(std::move(parts));
    w->show();
    return w;
}

QStringList Lines(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// In the tray: no window on screen and none on the task bar, the icon present.
void ExpectInTray(const TfMain& w) {
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(MainControls(w).trayIcon->isVisible());
}

void ExpectShown(const TfMain& w) {
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
}

// Runs the application's event loop like the program does, with the given steps queued, until
// something ends it; a watchdog ends it with 99 after 5 s.
int RunProgram(const std::function<void()>& steps) {
    QTimer::singleShot(0, qApp, steps);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(5000);
    return QApplication::exec();
}

// Counts the close events a window receives.
struct CloseCounter : QObject {
    int closes = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Close) ++closes;
        return false;
    }
};

// A main window with the program's syslog window, whose close events are counted.
struct WithSyslog {
    std::unique_ptr<TfMain> w = MakeMain(true);
    TfSyslog syslog;
    CloseCounter counter;
    WithSyslog() {
        syslog.installEventFilter(&counter);
        w->setSyslogWindow(&syslog);
    }
    ~WithSyslog() { w->setSyslogWindow(nullptr); }
    void open() {
        MainControls(*w).SyslogServer1->trigger();
        ASSERT_TRUE(syslog.isVisible());
    }
};

}  // namespace

TEST(Tray, IconAndMenu) {
    ScriptedDialogs boxes;
    auto w = MakeMain(true);
    const MainControls ui(*w);
    EXPECT_TRUE(ui.trayIcon->isVisible());
    EXPECT_TRUE(ui.trayIcon->toolTip().isEmpty());
    EXPECT_EQ(ui.trayIcon->contextMenu(), ui.PopupMenu1);
    const QList<QAction*> items = ui.PopupMenu1->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0], ui.Open1);
    EXPECT_EQ(ui.Open1->text(), "เปิดโปรแกรม");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2], ui.Exit2);
    EXPECT_EQ(ui.Exit2->text(), "&Exit");
}

TEST(Tray, CloseRequestAnswers) {
    const struct {
        Answer answer;
        bool ends;
    } cases[] = {{Answer::Yes, true}, {Answer::No, false}, {Answer::Dismissed, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        ScriptedDialogs boxes;
        boxes.answers = {c.answer};
        auto w = MakeMain(true);
        const MainControls ui(*w);
        w->AddSysLog("kept");
        EXPECT_EQ(w->close(), c.ends);
        QCoreApplication::processEvents();  // no event loop runs here, so the end does nothing
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].kind, "confirm");
        EXPECT_EQ(boxes.shown[0].text, kCloseQuestion);
        EXPECT_FALSE(w->isVisible());
        if (c.ends) {
            EXPECT_FALSE(ui.trayIcon->isVisible());
        } else {
            ExpectInTray(*w);
            EXPECT_EQ(Lines(ui.LogBox), QStringList({"kept"}));
        }
    }
}

TEST(Tray, MinimiseBoxGoesToTheTrayAndDoubleClickRestoresWithLogIntact) {
    ScriptedDialogs boxes;
    auto w = MakeMain(true);
    const MainControls ui(*w);
    w->AddSysLog("before");
    w->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    ExpectInTray(*w);
    EXPECT_TRUE(boxes.shown.empty()) << "minimising asks nothing";

    w->AddSysLog("while hidden");                           // work goes on in the tray
    emit ui.trayIcon->activated(QSystemTrayIcon::Trigger);  // a single click does nothing
    EXPECT_FALSE(w->isVisible());
    emit ui.trayIcon->activated(QSystemTrayIcon::DoubleClick);
    ExpectShown(*w);
    EXPECT_EQ(Lines(ui.LogBox), QStringList({"before", "while hidden"}));
    EXPECT_EQ(ui.LogBox->currentRow(), 1);
}

TEST(Tray, NoThenOpenFromTheMenuRestores) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::No};
    auto w = MakeMain(true);
    const MainControls ui(*w);
    w->AddSysLog("one");
    w->close();
    ExpectInTray(*w);
    ui.Open1->trigger();
    ExpectShown(*w);
    EXPECT_EQ(Lines(ui.LogBox), QStringList({"one"}));
}

TEST(Tray, RestoreDoesNothingWhileTheTrayMenuIsOpen) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::No};
    auto w = MakeMain(true);
    const MainControls ui(*w);
    w->close();
    ui.PopupMenu1->popup(QPoint(10, 10));
    ASSERT_TRUE(ui.PopupMenu1->isVisible());
    emit ui.trayIcon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(w->isVisible());
    ui.PopupMenu1->hide();
    emit ui.trayIcon->activated(QSystemTrayIcon::DoubleClick);
    ExpectShown(*w);
}

TEST(Tray, ExitWhileHiddenThenNoStaysInTray) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::No, Answer::No};
    auto w = MakeMain(true);
    const MainControls ui(*w);
    w->close();
    ExpectInTray(*w);
    ui.Exit2->trigger();
    EXPECT_EQ(boxes.texts("confirm"), QStringList({kCloseQuestion, kCloseQuestion}));
    ExpectInTray(*w);
}

TEST(Tray, WithoutNotificationAreaMinimisingStaysOnTheTaskBar) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::No};
    auto w = MakeMain(false);
    const MainControls ui(*w);
    EXPECT_FALSE(ui.trayIcon->isVisible());
    w->close();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isMinimized());
    w->showNormal();
    w->setWindowState(Qt::WindowMinimized);  // the minimise box
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isMinimized());
    ui.Open1->trigger();
    ExpectShown(*w);
}

// Minimising takes every window of the program off the screen, so the tray icon is all that
// remains; restoring brings back exactly those that were shown, where they were. The syslog
// window is only hidden: its own close handling (a save of its list) does not run.
TEST(Tray, MinimisingTakesTheSyslogWindowAlongAndRestoreBringsItBack) {
    const struct {
        const char* how;
        std::function<void(TfMain&)> minimise;
        std::function<void(TfMain&)> restore;
    } cases[] = {
        {"minimise box, double click",
         [](TfMain& w) {
             w.setWindowState(Qt::WindowMinimized);
             QCoreApplication::processEvents();
         },
         [](TfMain& w) { emit MainControls(w).trayIcon->activated(QSystemTrayIcon::DoubleClick); }},
        {"close answered No, tray menu", [](TfMain& w) { w.close(); },
         [](TfMain& w) { MainControls(w).Open1->trigger(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        ScriptedDialogs boxes;
        boxes.answers = {Answer::No};
        WithSyslog program;
        auto& [w, syslog, counter] = program;
        const MainControls ui(*w);
        program.open();
        syslog.move(syslog.pos() + QPoint(7, 5));  // the user moved it
        const QPoint at = syslog.pos();

        c.minimise(*w);
        ExpectInTray(*w);
        EXPECT_FALSE(syslog.isVisible());
        for (QWidget* t : QApplication::topLevelWidgets())
            EXPECT_FALSE(t->isVisible() && t->windowType() == Qt::Window)
                << t->metaObject()->className();

        c.restore(*w);
        ExpectShown(*w);
        EXPECT_TRUE(syslog.isVisible());
        EXPECT_EQ(syslog.pos(), at);
        EXPECT_EQ(counter.closes, 0);

        // A window the user had closed (its list empty: no file) stays closed next time.
        syslog.close();
        ASSERT_FALSE(syslog.isVisible());
        c.minimise(*w);
        c.restore(*w);
        ExpectShown(*w);
        EXPECT_FALSE(syslog.isVisible());
    }
}

// Only the companions go: any other top-level window stays, as the tray icon's own window must
// on desktops whose notification area embeds it (hidden, the icon is gone for good). Tested on
// a real notification area by tray-xembed.sh.
TEST(Tray, OnlyTheCompanionsGoToTheTray) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::No};
    WithSyslog program;
    auto& [w, syslog, counter] = program;
    const MainControls ui(*w);
    program.open();
    QWidget other;  // as QSystemTrayIcon's window on such desktops: a plain top-level widget
    other.show();
    w->close();
    ExpectInTray(*w);
    EXPECT_FALSE(syslog.isVisible());
    EXPECT_TRUE(other.isVisible());
    ui.Open1->trigger();
    EXPECT_TRUE(syslog.isVisible());
    EXPECT_TRUE(other.isVisible());

    // A companion destroyed meanwhile is simply gone from the list.
    auto extra = std::make_unique<QWidget>();
    w->AddTrayCompanion(extra.get());
    extra->show();
    w->close();
    extra.reset();
    ui.Open1->trigger();
    ExpectShown(*w);
    EXPECT_TRUE(syslog.isVisible());
}

// The syslog window opens centred over the main window; later it shows where it was hidden.
TEST(Tray, SyslogWindowOpensCentredOverTheMainWindow) {
    ScriptedDialogs boxes;
    WithSyslog program;
    auto& [w, syslog, counter] = program;
    const MainControls ui(*w);
    // Room on the 800 x 600 test screen for the syslog window around the main window's middle.
    w->move(0, 0);
    syslog.resize(syslog.minimumSizeHint());
    program.open();
    const QRect area = w->screen()->availableGeometry();
    QRect centred = syslog.frameGeometry();
    centred.moveCenter(w->frameGeometry().center());
    if (area.contains(centred)) {
        const QPoint offset = syslog.frameGeometry().center() - w->frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();  // halves
    } else {  // larger fonts (Wine's) leave no room: as near as the screen allows
        EXPECT_TRUE(area.contains(syslog.frameGeometry().topLeft()));
    }

    syslog.move(syslog.pos() + QPoint(-20, 15));
    const QPoint moved = syslog.pos();
    syslog.close();
    ui.SyslogServer1->trigger();
    EXPECT_EQ(syslog.pos(), moved);
}

// The whole program in its event loop: Yes ends it, and the syslog window, although shown, gets
// no close event (its own close handling would save its list).
TEST(Tray, YesEndsTheProgramWithoutClosingTheSyslogWindow) {
    ScriptedDialogs boxes;
    boxes.answers = {Answer::Yes};
    WithSyslog program;
    auto& [w, syslog, counter] = program;
    const MainControls ui(*w);
    program.open();
    EXPECT_EQ(RunProgram([&] { ui.Exit2->trigger(); }), 0);
    EXPECT_EQ(counter.closes, 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(ui.trayIcon->isVisible());
}

// With the real boxes: closing a box while the window is in the tray leaves no window on screen,
// which must not end the program: neither the question answered No, nor the standard error box
// (a box without a parent window).
TEST(Tray, RealBoxesClosedWhileHiddenKeepTheProgram) {
    auto w = MakeMain(true);
    const MainControls ui(*w);
    w->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    ASSERT_FALSE(w->isVisible());
    QStringList texts;
    // Answers the box on screen with the button, then goes on with next.
    auto answer = [&](QMessageBox::StandardButton button, std::function<void()> next) {
        QTimer::singleShot(0, [&texts, button, next] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return QCoreApplication::exit(98);
            texts << box->text();
            box->button(button)->click();
            QTimer::singleShot(0, next);
        });
    };
    const int code = RunProgram([&] {
        answer(QMessageBox::No, [&] {
            answer(QMessageBox::Ok,
                   [] { QTimer::singleShot(200, [] { QCoreApplication::exit(7); }); });
            ShowStandardError(QStringLiteral("Late failure"));
        });
        ui.Exit2->trigger();
    });
    EXPECT_EQ(code, 7) << "7: still running after both boxes";
    EXPECT_EQ(texts, QStringList({kCloseQuestion, "Late failure."}));
    ExpectInTray(*w);
}

// The modal windows of the menu: a fresh window owned by the main window at each opening,
// destroyed when it closes.
TEST(Tray, CalculatorOpensFreshEachTime) {
    ScriptedDialogs boxes;
    auto w = MakeMain(true);
    const MainControls ui(*w);
    ASSERT_TRUE(ui.IP1->isEnabled());
    QList<QPointer<TfCalIP>> seen;
    QStringList addresses;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, [&] {
            TfCalIP* f = w->findChild<TfCalIP*>();
            if (!f) return;
            seen << f;
            EXPECT_TRUE(f->isModal());
            addresses << f->edCalIPAddress->text();
            f->edCalIPAddress->setText("192.168.9.9");  // must not survive the closing
            f->close();
        });
        ui.IP1->trigger();
        ASSERT_EQ(seen.size(), opening + 1);
        EXPECT_TRUE(seen.back().isNull()) << "destroyed when closed";
    }
    EXPECT_EQ(addresses, QStringList({"10.0.0.1", "10.0.0.1"}));
}

TEST(Tray, ReadMeOpensFreshEachTime) {
    ScriptedDialogs boxes;
    LinkLabel::SetOpener([](const QUrl&) { return true; });
    auto w = MakeMain(true);
    const MainControls ui(*w);
    ASSERT_TRUE(ui.N1->isEnabled());
    QList<bool> visitedAtOpening;
    int openings = 0;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, [&] {
            TfAbout* f = w->findChild<TfAbout*>();
            if (!f) return;
            ++openings;
            EXPECT_TRUE(f->isModal());
            visitedAtOpening << f->URLLabel1->visited();
            QTest::mouseClick(f->URLLabel1, Qt::LeftButton);
            f->close();
        });
        ui.N1->trigger();
        EXPECT_EQ(w->findChild<TfAbout*>(), nullptr);
    }
    LinkLabel::SetOpener({});
    EXPECT_EQ(openings, 2);
    EXPECT_EQ(visitedAtOpening, QList<bool>({false, false}));
}
