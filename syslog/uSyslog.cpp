#include "syslog/uSyslog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "address/IPv4Edit.h"
#include "common/Clock.h"
#include "netcomp/syslog/TncSysLog.h"
#include "netcomp/wire/SyslogParser.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "ui/NumericEdit.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

TfSyslog::TfSyslog(QWidget* parent, TncSysLog* component)
    : QMainWindow(parent),
      ncSysLog(component ? component : new TncSysLog(this)),
      m_store(std::make_unique<SyslogStore>(SystemClock())),
      m_model(new SyslogLineModel(*m_store, this)),
      m_clockTimer(new QTimer(this)),
      m_droppedTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Syslog Server"));
    setAttribute(Qt::WA_QuitOnClose, false);  // closing only hides it
    ncSysLog->SetRemoteHost(QStringLiteral("127.0.0.1"));
    buildControls();
    buildSenderPanel();
    wireHandlers();
    resize(900, 640);
    // Ending the program closes visible windows; that is not the user closing this one.
    QCoreApplication::instance()->installEventFilter(this);
}

TfSyslog::~TfSyslog() {
    ncSysLog->OnPacketIn = nullptr;
    LogBox->setModel(nullptr);  // the model reads the store, which goes first
    m_store->setListener({});
}

void TfSyslog::buildControls() {
    auto* central = new QWidget;
    auto* page = new QVBoxLayout(central);

    btnStart = MakeButton(QStringLiteral("Start Receive Syslog"), {}, QStringLiteral("เริ่มเก็บ Log"));
    btnStop = MakeButton(QStringLiteral("Stop"), {}, QStringLiteral("หยุดการเก็บ log"));
    btnTest = MakeButton(QStringLiteral("ทดสอบ Syslog Loopback."), {},
                         QStringLiteral("Test Send Message Log"));
    btnTest->setEnabled(false);
    btnSave = MakeButton(QStringLiteral("Save Log"), {}, QStringLiteral("เริ่มเก็บ Log"));
    btnClearLog = MakeButton(QStringLiteral("Clear Log"), {}, QStringLiteral("เริ่มเก็บ Log"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnStart, btnStop, btnTest}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClearLog);
    page->addLayout(buttons);

    edValue = new NumericEdit(10, 100000, 10000, /*grouping=*/true);
    edValue->setMaximumWidth(90);
    auto* limit = new QHBoxLayout;
    limit->addWidget(new QLabel(QStringLiteral("จำนวน Lines:")));
    limit->addWidget(edValue);
    limit->addWidget(new QLabel(QStringLiteral("เมื่อครบจำนวนจะถูกบันทึกใน Current Directory ")));
    limit->addStretch();
    page->addLayout(limit);

    cbFacility = new QCheckBox(QStringLiteral("Facility"));
    cbSeverity = new QCheckBox(QStringLiteral("Severity"));
    cbHostName = new QCheckBox(QStringLiteral("Hostname"));
    cbSourceAddress = new QCheckBox(QStringLiteral("Source Address"));
    cbStampdatetime = new QCheckBox(QStringLiteral("Local Host Date/Time."));
    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Insert Option:")));
    for (QCheckBox* c : {cbFacility, cbSeverity, cbHostName, cbSourceAddress, cbStampdatetime})
        options->addWidget(c);
    options->addStretch();
    page->addLayout(options);

    pnMessage = new QWidget;
    pnMessage->setVisible(false);
    page->addWidget(pnMessage);

    buildFilter(page);

    LogBox = new QListView;
    LogBox->setModel(m_model);
    LogBox->setUniformItemSizes(true);  // constant-time geometry for up to 100 000 rows
    LogBox->setSelectionMode(QAbstractItemView::SingleSelection);
    LogBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LogBox->setFont(FixedPitchPixels(12));
    LogBox->setToolTip(QStringLiteral("Click เพื่อดูรายละเอียด"));
    page->addWidget(LogBox, 3);

    mmDetail = new QPlainTextEdit;
    mmDetail->setReadOnly(true);
    mmDetail->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmDetail->setFont(FixedPitchPixels(16));
    mmDetail->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; color: white; }"));
    page->addWidget(mmDetail, 1);
    setCentralWidget(central);

    spStatus = new QLabel;
    spDropped = new QLabel;
    spSaveFailure = new QLabel;
    spSaveFailure->setStyleSheet(QStringLiteral("QLabel { color: #B00020; }"));
    spSaveFailure->setVisible(false);
    ClockStatus1 = new QLabel;
    statusBar()->addWidget(spStatus, 1);
    statusBar()->addWidget(spDropped);
    statusBar()->addWidget(spSaveFailure, 2);
    statusBar()->addPermanentWidget(ClockStatus1);
    m_clockTimer->setInterval(500);
    m_droppedTimer->setInterval(kDroppedRefreshMs);
}

void TfSyslog::buildFilter(QVBoxLayout* page) {
    edFilter = new QLineEdit;
    edFilter->setPlaceholderText(QStringLiteral("Filter the view: text to look for"));
    edFilter->setToolTip(
        QStringLiteral("Shows only the lines holding this text (any case); "
                       "the saved files keep every line"));
    edFilter->setClearButtonEnabled(true);
    cbFilterSeverity = new QComboBox;
    cbFilterSeverity->addItem(QStringLiteral("all"), SyslogLineModel::kAllSeverities);
    for (int s = 0; s <= 7; ++s) cbFilterSeverity->addItem(SeverityName(s), s);
    cbFilterSeverity->setToolTip(
        QStringLiteral("Shows only received lines of this severity or a graver one"));
    auto* filter = new QHBoxLayout;
    filter->addWidget(edFilter, 1);
    filter->addWidget(new QLabel(QStringLiteral("Lowest severity:")));
    filter->addWidget(cbFilterSeverity);
    page->addLayout(filter);
}

void TfSyslog::buildSenderPanel() {
    edIP = new IPv4Edit(QStringLiteral("127.0.0.1"));  // holds only whole addresses
    edPort = new NumericEdit(1, 65535, 514);
    edPort->setMaximumWidth(70);
    edMessage = new QLineEdit(QStringLiteral("> Test send syslog message successfully."));
    edSendCount = new NumericEdit(1, 100, 5);
    edSendCount->setMaximumWidth(50);
    btnSend = MakeButton(QStringLiteral("Send"));
    btnClose = MakeButton(QStringLiteral("Close.."));

    auto* grid = new QGridLayout(pnMessage);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("IP Address:")), 0, 0);
    grid->addWidget(edIP, 0, 1);
    grid->addWidget(edPort, 0, 2);
    grid->addWidget(edMessage, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("จำนวน Log:")), 0, 4);
    grid->addWidget(edSendCount, 0, 5);
    grid->addWidget(btnSend, 0, 6);
    grid->addWidget(btnClose, 0, 7);
    grid->setColumnStretch(3, 1);
}

void TfSyslog::wireHandlers() {
    auto on = [this](QPushButton* b, void (TfSyslog::*handler)()) {
        ConnectHandler(b, &QPushButton::clicked, this, handler);
    };
    on(btnStart, &TfSyslog::btnStartClick);
    on(btnStop, &TfSyslog::btnStopClick);
    on(btnTest, &TfSyslog::btnTestClick);
    on(btnClearLog, &TfSyslog::btnClearLogClick);
    on(btnSave, &TfSyslog::btnSaveClick);
    on(btnSend, &TfSyslog::btnSendClick);
    on(btnClose, &TfSyslog::btnCloseClick);
    ConnectHandler(LogBox, &QListView::clicked, this, &TfSyslog::LogBoxClick);
    connect(LogBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_applyingSelection)
                    m_store->select(current.isValid() ? m_model->storeRow(current.row()) : -1);
            });
    connect(m_clockTimer, &QTimer::timeout, this, &TfSyslog::tickClock);
    connect(m_droppedTimer, &QTimer::timeout, this, &TfSyslog::showDropped);

    // The store's options follow their controls.
    m_store->setLimit(edValue->value());
    connect(edValue, &QLineEdit::textChanged, this,
            [this] { m_store->setLimit(edValue->value()); });
    connect(cbStampdatetime, &QCheckBox::toggled, this, [this](bool on) { m_store->setStamp(on); });
    m_store->setListener({[this] { m_model->storeAppended(); }, [this] { m_model->storeCleared(); },
                          [this] { selectionChanged(); }, [this] { showSaveFailure(); }});
    connect(m_model, &SyslogLineModel::flushed, this, &TfSyslog::applySelection);
    connect(edFilter, &QLineEdit::textChanged, this, &TfSyslog::applyFilter);
    connect(cbFilterSeverity, &QComboBox::currentIndexChanged, this, &TfSyslog::applyFilter);
    ncSysLog->OnPacketIn = [this](TncSysLog* sender, int fc, const QString& f, int sc,
                                  const QString& s, const QString& ts, const QString& host,
                                  const QString& msg, bool conforms, const QString& packet,
                                  const QByteArray& bytes, const QString& source, int port) {
        ncSysLogPacketIn(sender, fc, f, sc, s, ts, host, msg, conforms, packet, bytes, source,
                         port);
    };
}

int TfSyslog::selectedRow() const {
    return m_store->selected();
}

void TfSyslog::selectionChanged() {
    // With a batch on its way the view takes the selection in with it.
    if (m_selectionPending || m_model->flushPending()) return;
    m_selectionPending = true;
    QTimer::singleShot(SyslogLineModel::kFlushMs, this, [this] {
        if (m_selectionPending) m_model->flush();
    });
}

void TfSyslog::applySelection() {
    m_selectionPending = false;
    m_applyingSelection = true;
    const QModelIndex index = m_model->indexOfStoreRow(m_store->selected());
    if (!index.isValid()) {
        LogBox->selectionModel()->clear();
    } else {
        LogBox->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        LogBox->scrollTo(index);
    }
    m_applyingSelection = false;
}

void TfSyslog::applyFilter() {
    m_model->setFilter(edFilter->text(), cbFilterSeverity->currentData().toInt());
    applySelection();  // the selected line stays selected where the filter shows it
}

void TfSyslog::showSaveFailure() {
    const QString& failure = m_store->saveFailure();
    spSaveFailure->setText(failure.isEmpty()
                               ? QString()
                               : QStringLiteral("Automatic save failed, lines kept, retrying: ") +
                                     failure);
    spSaveFailure->setVisible(!failure.isEmpty());
}

bool TfSyslog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        m_programEnding = true;
    return QMainWindow::eventFilter(watched, event);
}

void TfSyslog::closeEvent(QCloseEvent* event) {
    if (m_programEnding) {
        event->accept();
        return;
    }
    bool canClose = false;
    RunHandler([&] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();  // hides the window; it lives on with its list
    else
        event->ignore();
}
