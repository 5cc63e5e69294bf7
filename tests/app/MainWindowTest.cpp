#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/uVelkorTool.h"
#include "common/Clock.h"
#include "syslog/uSyslog.h"
#include "tests/app/MainControls.h"
#include "tests/app/ScriptedReach.h"
#include "tests/support/EnterInFields.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/LinkLabel.h"
#include "ui/NumericEdit.h"

namespace {

AdapterRecord Adapter(const std::string& description, const std::string& ip) {
    AdapterRecord r;
    r.description = r.osName = description;
    r.ipAddress = ip;
    return r;
}

// Adapter component with scripted adapters that fails on cue: the n-th index write (counting from
// 1), or reading the description once armed.
class FakeIPInfo : public TncIPInfo {
  public:
    explicit FakeIPInfo(std::vector<AdapterRecord> adapters)
        : TncIPInfo([adapters] {
              return AdapterQueryResult{adapters, 0, {}};
          }) {}

    std::optional<int> failOnIndexWrite;
    bool failOnDescription = false;
    int indexWrites = 0;

    void setAdapterIndex(int index) override {
        if (failOnIndexWrite && ++indexWrites == *failOnIndexWrite)
            throw EncIPInfo(5, "Access is denied");
        TncIPInfo::setAdapterIndex(index);
    }
    QString AdapterDescription() const override {
        if (failOnDescription) throw EncIPInfo(6, "Adapter vanished");
        return TncIPInfo::AdapterDescription();
    }
};

const std::vector<AdapterRecord> kAdapters = {Adapter("eth0", "192.168.1.20"), Adapter("wlan0", ""),
                                              Adapter("eth0", "10.0.0.5")};

struct FixedClock : Clock {
    QDateTime at{QDate(2026, 3, 7), QTime(14, 7, 3)};
    QDateTime now() const override { return at; }
};

struct MainWindowTest : ::testing::Test {
    ScriptedDialogs boxes;
    FixedClock clock;
    FakeIPInfo* ipInfo = nullptr;
    ScriptedTrace* trace = nullptr;

    void SetUp() override { SetClock(&clock); }
    void TearDown() override { SetClock(nullptr); }

    std::unique_ptr<TfMain> Make(std::vector<AdapterRecord> adapters = kAdapters,
                                 std::optional<int> failOnIndexWrite = {}) {
        auto fake = std::make_unique<FakeIPInfo>(std::move(adapters));
        fake->failOnIndexWrite = failOnIndexWrite;
        ipInfo = fake.get();
        TfMainComponents parts;
        parts.IPInfo1 = std::move(fake);
        auto scriptedTrace = std::make_unique<ScriptedTrace>();
        trace = scriptedTrace.get();
        parts.ncTraceRoute1 = std::move(scriptedTrace);
        return std::make_unique<TfMain>(std::move(parts));
    }

    // The source adapter as the window uses it: the name a trace's line shows and the address it
    // gives the trace ({} when none is chosen).
    std::pair<QString, QString> Source(const MainControls& ui) {
        trace->setLocalHost({});
        ui.btnTracerute->click();
        const QString line = ui.LogBox->item(ui.LogBox->count() - 2)->text();
        if (!line.startsWith("Trace Route From: ")) return {};
        return {line.section(' ', 3, 3), trace->LocalHost()};
    }

    // A pick by the user: the combo's own key handling, which raises the user's pick signal.
    static void Pick(TfMain& w, int index) {
        const MainControls ui(w);
        ui.cbNICList->setFocus();
        while (ui.cbNICList->currentIndex() > index) QTest::keyClick(ui.cbNICList, Qt::Key_Up);
        while (ui.cbNICList->currentIndex() < index) QTest::keyClick(ui.cbNICList, Qt::Key_Down);
    }
};

QStringList Items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

}  // namespace

TEST_F(MainWindowTest, InitialState) {
    auto w = Make();
    const MainControls ui(*w);
    EXPECT_EQ(w->windowTitle(), "Network-Tool V0.2.1 by.velkor");
    EXPECT_TRUE(boxes.shown.empty());

    // Adapters listed in the component's order, equal descriptions kept apart; none selected,
    // though the component's current adapter is the first.
    EXPECT_EQ(Items(ui.cbNICList), QStringList({"eth0", "wlan0", "eth0"}));
    EXPECT_EQ(ui.cbNICList->currentIndex(), -1);
    EXPECT_EQ(ui.cbNICList->maxVisibleItems(), 10);
    EXPECT_EQ(ipInfo->AdapterIndex(), 0);
    EXPECT_EQ(ui.edHostIP->text(), "");
    EXPECT_TRUE(ui.edHostIP->isReadOnly());
    EXPECT_FALSE(ui.ping->loopPing());
    EXPECT_FALSE(ui.ping->loopTimer().isActive());
    EXPECT_EQ(ui.ping->attempts() + ui.ping->replies() + ui.ping->failures(), 0);

    // Host list, its text, and the other inputs.
    EXPECT_EQ(ui.edHostName->currentText(), "8.8.8.8");
    const QStringList hosts = Items(ui.edHostName);
    ASSERT_EQ(hosts.size(), 8);
    EXPECT_EQ(hosts[0], "8.8.8.8");
    EXPECT_EQ(hosts.mid(2), QStringList({"1.1.1.1", "192.168.1.1", "192.168.0.1", "192.168.10.1",
                                         "10.0.1.1", "172.16.0.1"}));
    EXPECT_TRUE(ui.edHostName->isEditable());
    EXPECT_FALSE(ui.cbNICList->isEditable());
    EXPECT_FALSE(ui.cbLoopPing->isChecked());
    EXPECT_EQ(ui.edTelnetHost->text(), "");
    EXPECT_EQ(ui.LogBox->count(), 0);

    struct Numeric {
        NumericEdit* edit;
        int value, min, max;
        bool grouping, hidden;
    } numerics[] = {
        {ui.neByte, 32, 32, 5000, true, false},
        {ui.neTimeOut, 1, 1, 10, false, true},
        {ui.neCount, 5, 1, 1000, false, true},
        {ui.neTelnetPort, 10000, 1, 65535, false, false},
    };
    for (const auto& n : numerics) {
        EXPECT_EQ(n.edit->value(), n.value);
        EXPECT_EQ(n.edit->minimum(), n.min);
        EXPECT_EQ(n.edit->maximum(), n.max);
        EXPECT_EQ(n.edit->grouping(), n.grouping);
        EXPECT_EQ(n.edit->isHidden(), n.hidden) << n.value;
    }
    EXPECT_TRUE(ui.lbTimeOut->isHidden());
    EXPECT_TRUE(ui.lbCount->isHidden());
    EXPECT_EQ(ui.neTelnetPort->text(), "10000");

    // Captions and hints.
    struct Text {
        QWidget* widget;
        QString caption, hint;
    } texts[] = {
        {ui.btnPing, "Ping..", ""},
        {ui.cbLoopPing, "Ping until stop. (Disable for Stop)", "Click Disable เพื่อ Stop Ping"},
        {ui.btnTracerute, "Start Tracerute", ""},
        {ui.btnStopTrace, "Stop Tracerute", ""},
        {ui.btnTelnet, "Telnet", ""},
        {ui.edHostName, "", "IP ปลายทาง"},
        {ui.cbNICList, "", "Ping ผ่าน NIC ที่เลือก"},
        {ui.lbHostName, "Host", ""},
        {ui.lbNICList, "Interface Ping (Option)", ""},
        {ui.lbByte, "Packet Size (Byte):", "(Byte)"},
        {ui.lbTimeOut, "Time Out", ""},
        {ui.lbCount, "Count", ""},
        {ui.lbTelnetHost, "Host", ""},
        {ui.lbTelnetPort, "Port", ""},
        {ui.lbForwardPort, "สำหรับทดสอบ Forward Port ที่ใช้ Protocol TCP", ""},
        {ui.LogBox, "", "Click Mouse ขวาเพื่อบันทึก Log"},
    };
    for (const auto& t : texts) {
        QString caption;
        if (auto* b = qobject_cast<QAbstractButton*>(t.widget)) caption = b->text();
        if (auto* l = qobject_cast<QLabel*>(t.widget)) caption = l->text();
        EXPECT_EQ(caption, t.caption);
        EXPECT_EQ(t.widget->toolTip(), t.hint) << t.caption.toStdString();
    }
    for (QPushButton* b : {ui.btnPing, ui.btnTracerute, ui.btnStopTrace, ui.btnTelnet}) {
        EXPECT_TRUE(b->isEnabled());
        EXPECT_FALSE(b->icon().isNull()) << b->text().toStdString();
    }

    // Fonts: Courier New 9 pt, the log and the red label 10 pt.
    EXPECT_EQ(ui.btnPing->font().family(), "Courier New");
    EXPECT_EQ(ui.btnPing->font().pointSize(), 9);
    EXPECT_EQ(ui.LogBox->font().pointSize(), 10);
    EXPECT_EQ(ui.lbForwardPort->font().pointSize(), 10);
    EXPECT_EQ(ui.lbForwardPort->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Menus: the syslog item works; the windows not built yet are disabled.
    EXPECT_EQ(ui.mnTools->title(), "เครื่องมือ");
    EXPECT_EQ(ui.GenCLI1->text(), "Network Interface Card Tool.");
    EXPECT_EQ(ui.SyslogServer1->text(), "Syslog Server");
    EXPECT_EQ(ui.IP1->text(), "คำนวน IP");
    EXPECT_EQ(ui.N1->text(), "Read ME.");
    EXPECT_TRUE(ui.SyslogServer1->isEnabled());
    EXPECT_EQ(ui.pmSave->actions().size(), 1);
    EXPECT_EQ(ui.Log1->text(), "บันทึก Log");

    // Fixed size, no maximise box; banner and running clock pane.
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(ui.imgLogo->pixmap().isNull());
    EXPECT_FALSE(ui.lbWebSite->text().isEmpty());
    EXPECT_TRUE(ui.lbWebSite->url().isValid());
    EXPECT_TRUE(ui.tmClock->isActive());
    EXPECT_EQ(ui.tmClock->interval(), 500);
    // The clock's time in the system's format, seconds included ("14:07:03", "2:07:03 PM", ...).
    EXPECT_TRUE(ui.stClock->text().contains(QRegularExpression("\\b(14|2)\\D07\\D03\\b")))
        << ui.stClock->text().toStdString();
}

TEST_F(MainWindowTest, NoAdaptersLeavesTheListEmpty) {
    auto w = Make({});
    const MainControls ui(*w);
    EXPECT_EQ(ui.cbNICList->count(), 0);
    EXPECT_EQ(ui.cbNICList->currentIndex(), -1);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(ui.tmClock->isActive());
}

TEST_F(MainWindowTest, PickingAnAdapter) {
    auto w = Make();
    const MainControls ui(*w);
    struct Case {
        int pick;
        QString ip, name;
    } cases[] = {
        {0, "192.168.1.20", "eth0"},
        {1, "", "wlan0"},  // no address: no source address, though the adapter stays selected
        {2, "10.0.0.5", "eth0"},
        {0, "192.168.1.20", "eth0"},
    };
    for (const auto& c : cases) {
        Pick(*w, c.pick);
        EXPECT_EQ(ui.cbNICList->currentIndex(), c.pick);
        EXPECT_EQ(ipInfo->AdapterIndex(), c.pick);
        EXPECT_EQ(ui.edHostIP->text(), c.ip) << c.pick;
        const auto source = c.ip.isEmpty() ? std::pair<QString, QString>{}
                                           : std::pair<QString, QString>{c.name, c.ip};
        EXPECT_EQ(Source(ui), source) << c.pick;
    }
    // A selection made by the program is not a pick.
    ui.cbNICList->setCurrentIndex(2);
    EXPECT_EQ(Source(ui), (std::pair<QString, QString>{"eth0", "192.168.1.20"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, FailingAdapterComponentDuringStart) {
    struct Case {
        int failingWrite;  // 1..3: listing adapter 0..2; 4: selecting the first after listing
        QStringList listed;
        int selected;
    } cases[] = {
        {1, {}, -1},
        {3, {"eth0", "wlan0"}, -1},
        {4, {"eth0", "wlan0", "eth0"}, 0},  // the clearing of the selection is skipped too
    };
    for (const auto& c : cases) {
        boxes.shown.clear();
        auto w = Make(kAdapters, c.failingWrite);
        const MainControls ui(*w);
        // The standard error box, and the window still opens with what was read.
        EXPECT_EQ(boxes.errors(), QStringList({"5: Access is denied."})) << c.failingWrite;
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].caption, "Network-Tool");
        EXPECT_EQ(Items(ui.cbNICList), c.listed) << c.failingWrite;
        EXPECT_EQ(ui.cbNICList->currentIndex(), c.selected) << c.failingWrite;
        EXPECT_EQ(w->windowTitle(), "Network-Tool V0.2.1 by.velkor");
        EXPECT_FALSE(ui.tmClock->isActive()) << "the clock pane is not started";
        EXPECT_EQ(ui.stClock->text(), "");
        EXPECT_EQ(ui.edHostIP->text(), "");
    }
}

TEST_F(MainWindowTest, FailingAdapterComponentDuringPick) {
    auto w = Make();
    const MainControls ui(*w);
    Pick(*w, 0);
    ASSERT_EQ(Source(ui).first, "eth0");

    // The index write fails: nothing changes.
    ipInfo->failOnIndexWrite = ipInfo->indexWrites + 1;
    Pick(*w, 1);
    EXPECT_EQ(boxes.errors(), QStringList({"5: Access is denied."}));
    EXPECT_EQ(ui.edHostIP->text(), "192.168.1.20");
    EXPECT_EQ(Source(ui), (std::pair<QString, QString>{"eth0", "192.168.1.20"}));

    // The description read fails: the address assigned before it keeps its new value.
    ipInfo->failOnIndexWrite.reset();
    ipInfo->failOnDescription = true;
    Pick(*w, 2);
    EXPECT_EQ(boxes.errors(), QStringList({"5: Access is denied.", "6: Adapter vanished."}));
    EXPECT_EQ(ui.edHostIP->text(), "10.0.0.5");
    EXPECT_EQ(Source(ui), (std::pair<QString, QString>{"eth0", "10.0.0.5"}));

    // The program goes on: the next pick works.
    ipInfo->failOnDescription = false;
    Pick(*w, 1);
    Pick(*w, 0);
    EXPECT_EQ(Source(ui).first, "eth0");
    EXPECT_EQ(boxes.errors().size(), 2);
}

TEST_F(MainWindowTest, NumericEditsClampWhenTheFocusLeaves) {
    auto w = Make();
    const MainControls ui(*w);
    w->show();
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    struct Case {
        NumericEdit* edit;
        const char* typed;
        int value;
        QString shown;
    } cases[] = {
        {ui.neByte, "10", 32, "32"},
        {ui.neByte, "9000", 5000, "5,000"},
        {ui.neByte, "", 32, "32"},
        {ui.neTelnetPort, "0", 1, "1"},
        {ui.neTelnetPort, "99999", 65535, "65535"},
    };
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const auto& c : cases) {
        c.edit->setFocus();
        c.edit->selectAll();
        QTest::keyClick(c.edit, Qt::Key_Delete);
        QTest::keyClicks(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.typed) << "typing is not refused";
        QTest::mouseClick(ui.btnPing, Qt::LeftButton);  // a button takes the focus first
        ui.btnPing->setFocus(Qt::MouseFocusReason);
        EXPECT_EQ(c.edit->text(), c.shown) << c.typed;
        EXPECT_EQ(c.edit->value(), c.value) << c.typed;
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(MainWindowTest, LogKeepsAtMostAThousandLines) {
    auto w = Make();
    const MainControls ui(*w);
    for (int i = 1; i <= 1000; ++i) w->AddSysLog(QString::number(i));
    EXPECT_EQ(ui.LogBox->count(), 1000);
    EXPECT_EQ(ui.LogBox->currentRow(), 999);
    EXPECT_EQ(ui.LogBox->item(0)->text(), "1");

    ui.LogBox->setCurrentRow(10);  // the user looks at an earlier line
    w->AddSysLog("1001");
    EXPECT_EQ(ui.LogBox->count(), 0) << "the 1001st line empties the log, itself included";
    w->AddSysLog("");
    w->AddSysLog("next  ");
    ASSERT_EQ(ui.LogBox->count(), 2);
    EXPECT_EQ(ui.LogBox->item(1)->text(), "next  ");
    EXPECT_EQ(ui.LogBox->currentRow(), 1);

    ui.LogBox->setCurrentRow(0);
    w->AddSysLog("again");
    EXPECT_EQ(ui.LogBox->currentRow(), 2) << "an append selects the new last line";
}

struct LogSaveTest : MainWindowTest {
    QTemporaryDir dir;
    QString before;
    void SetUp() override {
        MainWindowTest::SetUp();
        before = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override {
        QDir::setCurrent(before);
        MainWindowTest::TearDown();
    }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(LogSaveTest, SavesToAToolFileInTheCurrentDirectory) {
    auto w = Make();
    const MainControls ui(*w);
    ui.Log1->trigger();  // an empty log writes nothing
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(boxes.shown.empty());

    for (const char* line : {"", ">>>>> Ping 10.0.0.1", "reply   ", ""}) w->AddSysLog(line);
    ui.Log1->trigger();
    ASSERT_EQ(Files(), QStringList({"tool-07032026-140703-log.txt"}));
    QFile f(dir.filePath(Files()[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);  // a UTF-8 system's mark
    EXPECT_EQ(bytes, "\r\n>>>>> Ping 10.0.0.1\r\nreply   \r\n\r\n");
    EXPECT_EQ(ui.LogBox->count(), 4) << "saving leaves the log as it was";
    EXPECT_TRUE(boxes.shown.empty());

    // Within the same second, after the cap emptied the log: the earlier file survives.
    for (int i = 0; i < 1001; ++i) w->AddSysLog("x");
    w->AddSysLog("after the cap");
    ui.Log1->trigger();
    EXPECT_EQ(Files(),
              QStringList({"tool-07032026-140703-2-log.txt", "tool-07032026-140703-log.txt"}));
    f.seek(0);
    EXPECT_TRUE(f.readAll().endsWith(bytes)) << "the earlier file is unchanged";
    QFile later(dir.filePath("tool-07032026-140703-2-log.txt"));
    ASSERT_TRUE(later.open(QIODevice::ReadOnly));
    EXPECT_TRUE(later.readAll().endsWith("\r\nafter the cap\r\n"));
}

TEST_F(LogSaveTest, UnwritableDirectoryShowsTheCreateErrorAndKeepsTheLog) {
    auto w = Make();
    const MainControls ui(*w);
    w->AddSysLog("keep me");
    QDir::setCurrent("/proc");  // no file can be created there, not even by root
    ui.Log1->trigger();
    ASSERT_EQ(boxes.errors().size(), 1);
    const QString text = boxes.errors()[0];
    EXPECT_TRUE(text.startsWith("Cannot create file \"/proc/tool-07032026-140703-log.txt\". "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith('.'));
    EXPECT_FALSE(QFile::exists("/proc/tool-07032026-140703-log.txt"));
    EXPECT_EQ(ui.LogBox->count(), 1);
    EXPECT_EQ(ui.LogBox->item(0)->text(), "keep me");
}

// Enter in a field runs no button. The buttons are cut from their handlers first, so a fault
// here sends nothing (the ping's default host is not on this machine).
TEST_F(MainWindowTest, EnterInAFieldRunsNoButton) {
    auto w = Make();
    const MainControls ui(*w);
    w->show();
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        QObject::disconnect(b, nullptr, nullptr, nullptr);
    const int lines = ui.LogBox->count();
    EXPECT_EQ(ButtonClicksFromEnterInFields(w.get()), 0);
    EXPECT_EQ(ui.LogBox->count(), lines);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, SyslogMenuShowsTheOneSyslogWindow) {
    auto w = Make();
    const MainControls ui(*w);
    TfSyslog syslog;
    w->setSyslogWindow(&syslog);
    EXPECT_FALSE(syslog.isVisible());
    ui.SyslogServer1->trigger();
    EXPECT_TRUE(syslog.isVisible());
    syslog.hide();
    ui.SyslogServer1->trigger();
    EXPECT_TRUE(syslog.isVisible()) << "the same window is shown again";
}

TEST(LinkLabel, TurnsGreenWhileTheMouseIsOver) {
    LinkLabel link("maker", QUrl("https://example.invalid/"));
    const QColor normal = link.palette().color(QPalette::WindowText);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&link, &enter);
    EXPECT_TRUE(link.hovered());
    EXPECT_EQ(link.palette().color(QPalette::WindowText).green(), 0x80);
    EXPECT_EQ(link.palette().color(QPalette::WindowText).red(), 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_FALSE(link.hovered());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), normal);
}

// The window with the real adapter component, in a namespace with one addressed link.
TEST(MainWindowInNamespace, ListsAndPicksTheRealAdapters) {
    VT_REQUIRE_ROOT();
    ScriptedDialogs boxes;
    NetNs host("mainwin"), peer("mainwin");
    Link(host, "vtm0", "10.78.0.2/24", peer, "vtm1", "10.78.0.1/24");
    NsEnter in(host);
    TfMain w;
    const MainControls ui(w);
    ASSERT_EQ(Items(ui.cbNICList), QStringList({"vtm0"}));
    EXPECT_EQ(ui.cbNICList->currentIndex(), -1);
    ui.cbNICList->setFocus();
    QTest::keyClick(ui.cbNICList, Qt::Key_Down);
    EXPECT_EQ(ui.edHostIP->text(), "10.78.0.2");

    EXPECT_TRUE(boxes.shown.empty());
}
