#include "app/uVelkorTool.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

#include "common/Clock.h"
#include "common/DateTimeFormat.h"
#include "netcomp/adapters/TncIPInfo.h"
#include "syslog/uSyslog.h"
#include "ui/LinkLabel.h"
#include "ui/NumericEdit.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

namespace {

const QString kCaption = QStringLiteral("Network-Tool V0.2.1 by.velkor");
const QString kWebSite = QStringLiteral("https://www.velkor.com");
const QString kWebSiteCaption =
    QStringLiteral("velkor : จำหน่ายและติดตั้งอุปกรณ์เครือข่าย Switch, Router, Wireless, Firewall");

QLabel* Label(const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption);
    l->setTextFormat(Qt::PlainText);
    l->setBuddy(buddy);
    return l;
}

// The system's short date and its time with seconds. Qt's long time format on Linux is the wordy
// CLDR one with the zone name; the short format with the seconds added is what the desktop's
// long time format holds ("HH:mm:ss", "h:mm:ss AP", "H.mm.ss").
QString ClockText(const QDateTime& now) {
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(u's')) {
        const qsizetype minutes = time.indexOf(QLatin1String("mm"));
        if (minutes >= 0)
            time.insert(minutes + 2, TimeSeparator(locale) + QStringLiteral("ss"));
        else
            time = locale.timeFormat(QLocale::LongFormat);
    }
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(now.time(), time);
}

// The component given, or the real one.
template <class Component>
std::unique_ptr<Component> OrReal(std::unique_ptr<Component> given) {
    return given ? std::move(given) : std::make_unique<Component>();
}

}  // namespace

TfMain::TfMain(TfMainComponents components, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      IPInfo1(OrReal(std::move(components.IPInfo1))),
      ncPing1(OrReal(std::move(components.ncPing1))),
      ncTraceRoute1(OrReal(std::move(components.ncTraceRoute1))),
      Telnet1(OrReal(std::move(components.Telnet1))),
      m_ping(
          *ncPing1, [this](const QString& line) { AddSysLog(line); },
          [this] {
              return PingRunner::Shown{neByte->value(), edHostName->currentText(), sNICName,
                                       sNICIP};
          },
          this),
      m_trace(*ncTraceRoute1, [this](const QString& line) { AddSysLog(line); }),
      m_portTest(*Telnet1, [this](const QString& line) { AddSysLog(line); }) {
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    buildControls();
    buildMenus();
    connectHandlers();
    setupReach();
    setupTray(components.trayAvailable);
    nameControls();

    // Fixed size, centred on the desktop.
    setFixedSize(sizeHint());
    CenterOnScreen(this);

    FormCreate();
}

TfMain::~TfMain() = default;

void TfMain::buildControls() {
    auto* central = new QWidget(this);
    central->setFont(FixedPitchPoints(9));
    setCentralWidget(central);

    // Button bar.
    btnPing = MakeButton(QStringLiteral("Ping.."), QStringLiteral(":/icons/ping.png"));
    cbLoopPing = new QCheckBox(QStringLiteral("Ping until stop. (Disable for Stop)"));
    cbLoopPing->setToolTip(QStringLiteral("Click Disable เพื่อ Stop Ping"));
    btnTracerute =
        MakeButton(QStringLiteral("Start Tracerute"), QStringLiteral(":/icons/trace.png"));
    btnStopTrace = MakeButton(QStringLiteral("Stop Tracerute"), QStringLiteral(":/icons/stop.png"));
    auto* buttonBar = new QHBoxLayout;
    buttonBar->addWidget(btnPing);
    buttonBar->addWidget(cbLoopPing);
    buttonBar->addSpacing(16);
    buttonBar->addWidget(btnTracerute);
    buttonBar->addWidget(btnStopTrace);
    buttonBar->addStretch();

    // Target row.
    edHostName = new QComboBox;
    edHostName->setEditable(true);
    edHostName->setInsertPolicy(QComboBox::NoInsert);
    edHostName->addItems({"8.8.8.8", "www.google.com", "1.1.1.1", "192.168.1.1", "192.168.0.1",
                          "192.168.10.1", "10.0.1.1", "172.16.0.1"});
    edHostName->setEditText(QStringLiteral("8.8.8.8"));
    edHostName->setToolTip(QStringLiteral("IP ปลายทาง"));
    edHostName->setMinimumContentsLength(16);
    lbHostName = Label(QStringLiteral("Host"), edHostName);

    cbNICList = new QComboBox;
    cbNICList->setMaxVisibleItems(10);
    cbNICList->setToolTip(QStringLiteral("Ping ผ่าน NIC ที่เลือก"));
    cbNICList->setMinimumContentsLength(18);
    cbNICList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lbNICList = Label(QStringLiteral("Interface Ping (Option)"), cbNICList);

    edHostIP = new QLineEdit;
    edHostIP->setReadOnly(true);
    edHostIP->setFixedWidth(edHostIP->fontMetrics().horizontalAdvance(u'0') * 17);

    neByte = new NumericEdit(32, 5000, 32, true);
    neByte->setFixedWidth(neByte->fontMetrics().horizontalAdvance(u'0') * 8);
    lbByte = Label(QStringLiteral("Packet Size (Byte):"), neByte);
    lbByte->setToolTip(QStringLiteral("(Byte)"));
    neTimeOut = new NumericEdit(1, 10, 1);
    lbTimeOut = Label(QStringLiteral("Time Out"), neTimeOut);
    neCount = new NumericEdit(1, 1000, 5);
    lbCount = Label(QStringLiteral("Count"), neCount);
    for (QWidget* w : {static_cast<QWidget*>(neTimeOut), static_cast<QWidget*>(lbTimeOut),
                       static_cast<QWidget*>(neCount), static_cast<QWidget*>(lbCount)})
        w->setVisible(false);

    auto* targetRow = new QGridLayout;
    targetRow->addWidget(lbHostName, 0, 0);
    targetRow->addWidget(lbNICList, 0, 1, 1, 2);
    targetRow->addWidget(lbByte, 0, 3);
    targetRow->addWidget(lbTimeOut, 0, 4);
    targetRow->addWidget(lbCount, 0, 5);
    targetRow->addWidget(edHostName, 1, 0);
    targetRow->addWidget(cbNICList, 1, 1);
    targetRow->addWidget(edHostIP, 1, 2);
    targetRow->addWidget(neByte, 1, 3);
    targetRow->addWidget(neTimeOut, 1, 4);
    targetRow->addWidget(neCount, 1, 5);
    targetRow->setColumnStretch(6, 1);
    targetRow->setHorizontalSpacing(6);
    targetRow->setVerticalSpacing(2);

    // Port-test row.
    edTelnetHost = new QLineEdit;
    edTelnetHost->setFixedWidth(edTelnetHost->fontMetrics().horizontalAdvance(u'0') * 22);
    lbTelnetHost = Label(QStringLiteral("Host"), edTelnetHost);
    neTelnetPort = new NumericEdit(1, 65535, 10000);
    neTelnetPort->setFixedWidth(neTelnetPort->fontMetrics().horizontalAdvance(u'0') * 8);
    lbTelnetPort = Label(QStringLiteral("Port"), neTelnetPort);
    btnTelnet = MakeButton(QStringLiteral("Telnet"), QStringLiteral(":/icons/telnet.png"));
    lbForwardPort = new QLabel(QStringLiteral("สำหรับทดสอบ Forward Port ที่ใช้ Protocol TCP"));
    lbForwardPort->setTextFormat(Qt::PlainText);
    lbForwardPort->setFont(FixedPitchPoints(10));
    {
        QPalette p = lbForwardPort->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        lbForwardPort->setPalette(p);
    }
    auto* portRow = new QHBoxLayout;
    portRow->setSpacing(6);
    portRow->addWidget(lbTelnetHost);
    portRow->addWidget(edTelnetHost);
    portRow->addSpacing(8);
    portRow->addWidget(lbTelnetPort);
    portRow->addWidget(neTelnetPort);
    portRow->addWidget(btnTelnet);
    portRow->addSpacing(8);
    portRow->addWidget(lbForwardPort);
    portRow->addStretch();

    // Activity log.
    LogBox = new QListWidget;
    LogBox->setFont(FixedPitchPoints(10));
    LogBox->setFrameShape(QFrame::NoFrame);
    LogBox->setSelectionMode(QAbstractItemView::SingleSelection);
    LogBox->setSortingEnabled(false);
    LogBox->setUniformItemSizes(true);
    LogBox->setToolTip(QStringLiteral("Click Mouse ขวาเพื่อบันทึก Log"));
    LogBox->setContextMenuPolicy(Qt::CustomContextMenu);
    LogBox->setMinimumSize(820, 330);
    pmSave = new QMenu(this);
    Log1 = pmSave->addAction(QStringLiteral("บันทึก Log"));

    // White banner: logo and link to the maker's web site.
    auto* banner = new QWidget;
    banner->setAutoFillBackground(true);
    {
        QPalette p = banner->palette();
        p.setColor(QPalette::Window, Qt::white);
        banner->setPalette(p);
    }
    imgLogo = new QLabel;
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/icons/logo.png")));
    lbWebSite = new LinkLabel(kWebSiteCaption, QUrl(kWebSite));
    auto* bannerRow = new QHBoxLayout(banner);
    bannerRow->setContentsMargins(8, 4, 8, 4);
    bannerRow->addWidget(imgLogo);
    bannerRow->addSpacing(12);
    bannerRow->addWidget(lbWebSite);
    bannerRow->addStretch();

    auto* top = new QVBoxLayout;
    top->setContentsMargins(8, 6, 8, 6);
    top->setSpacing(8);
    top->addLayout(buttonBar);
    top->addLayout(targetRow);
    top->addLayout(portRow);
    auto* page = new QVBoxLayout(central);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addLayout(top);
    page->addWidget(LogBox, 1);
    page->addWidget(banner);

    // Status bar with the clock pane at its left.
    stClock = new QLabel;
    stClock->setTextFormat(Qt::PlainText);
    stClock->setMinimumWidth(220);
    statusBar()->addWidget(stClock);
    statusBar()->setSizeGripEnabled(false);
    tmClock = new QTimer(this);
    tmClock->setInterval(500);
}

void TfMain::buildMenus() {
    mnTools = menuBar()->addMenu(QStringLiteral("เครื่องมือ"));
    GenCLI1 = mnTools->addAction(QIcon(QStringLiteral(":/icons/nic.png")),
                                 QStringLiteral("Network Interface Card Tool."));
    SyslogServer1 = mnTools->addAction(QIcon(QStringLiteral(":/icons/syslog.png")),
                                       QStringLiteral("Syslog Server"));
    IP1 = mnTools->addAction(QIcon(QStringLiteral(":/icons/calc.png")), QStringLiteral("คำนวน IP"));
    // A menu bar item shows its icon instead of its caption, so this one has none.
    N1 = menuBar()->addAction(QStringLiteral("Read ME."));
}

void TfMain::nameControls() {
    const std::pair<QObject*, const char*> named[] = {
        {btnPing, "btnPing"},
        {cbLoopPing, "cbLoopPing"},
        {btnTracerute, "btnTracerute"},
        {btnStopTrace, "btnStopTrace"},
        {edHostName, "edHostName"},
        {cbNICList, "cbNICList"},
        {edHostIP, "edHostIP"},
        {neByte, "neByte"},
        {neTimeOut, "neTimeOut"},
        {neCount, "neCount"},
        {lbHostName, "lbHostName"},
        {lbNICList, "lbNICList"},
        {lbByte, "lbByte"},
        {lbTimeOut, "lbTimeOut"},
        {lbCount, "lbCount"},
        {edTelnetHost, "edTelnetHost"},
        {neTelnetPort, "neTelnetPort"},
        {btnTelnet, "btnTelnet"},
        {lbTelnetHost, "lbTelnetHost"},
        {lbTelnetPort, "lbTelnetPort"},
        {lbForwardPort, "lbForwardPort"},
        {LogBox, "LogBox"},
        {pmSave, "pmSave"},
        {Log1, "Log1"},
        {imgLogo, "imgLogo"},
        {lbWebSite, "lbWebSite"},
        {stClock, "stClock"},
        {tmClock, "tmClock"},
        {mnTools, "mnTools"},
        {GenCLI1, "GenCLI1"},
        {SyslogServer1, "SyslogServer1"},
        {IP1, "IP1"},
        {N1, "N1"},
        {trayIcon, "trayIcon"},
        {PopupMenu1, "PopupMenu1"},
        {Open1, "Open1"},
        {Exit2, "Exit2"},
        {&m_ping, "PingRunner"},
    };
    for (const auto& [object, name] : named) object->setObjectName(QLatin1String(name));
}

void TfMain::connectHandlers() {
    handle(cbNICList, &QComboBox::activated, &TfMain::cbNICListClick);
    handle(Log1, &QAction::triggered, &TfMain::Log1Click);
    handle(GenCLI1, &QAction::triggered, &TfMain::GenCLI1Click);
    handle(SyslogServer1, &QAction::triggered, &TfMain::SyslogServer1Click);
    handle(IP1, &QAction::triggered, &TfMain::IP1Click);
    handle(N1, &QAction::triggered, &TfMain::N1Click);
    handle(tmClock, &QTimer::timeout, &TfMain::tmClockTimer);
    connect(LogBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmSave->popup(LogBox->viewport()->mapToGlobal(at)); });
}

void TfMain::FormCreate() {
    RunHandler([this] {
        setWindowTitle(kCaption);
        LoadNICList();
        cbNICList->setCurrentIndex(-1);
        tmClockTimer();
        tmClock->start();
    });
}

void TfMain::tmClockTimer() {
    stClock->setText(ClockText(SystemClock().now()));
}

void TfMain::LoadNICList() {
    const int count = IPInfo1->AdapterCount();
    for (int i = 0; i < count; ++i) {
        IPInfo1->setAdapterIndex(i);
        cbNICList->addItem(IPInfo1->AdapterDescription());
        cbNICList->setCurrentIndex(-1);  // filling selects nothing
    }
    if (cbNICList->count() > 0) {
        cbNICList->setCurrentIndex(0);
        SelectNIC();
    }
}

void TfMain::SelectNIC() {
    IPInfo1->setAdapterIndex(cbNICList->currentIndex());
}

void TfMain::cbNICListClick() {
    SelectNIC();
    edHostIP->setText(IPInfo1->AdapterIPAddress());
    sNICIP = IPInfo1->AdapterIPAddress();
    sNICName = IPInfo1->AdapterDescription();
}

void TfMain::setSyslogWindow(TfSyslog* window) {
    fSyslog = window;
    if (window) AddTrayCompanion(window);
}

void TfMain::SyslogServer1Click() {
    if (!fSyslog) return;
    // Centred over this window at its first opening; later it shows where it was hidden.
    if (!m_syslogPlaced) {
        CenterOverWindow(fSyslog, this);
        m_syslogPlaced = true;
    }
    fSyslog->show();
    fSyslog->raise();
    fSyslog->activateWindow();
}
