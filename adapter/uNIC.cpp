#include "adapter/uNIC.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "address/uIPTool.h"
#include "common/PadColumn.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

namespace {

constexpr int kLabelWidth = 18;
constexpr int kLogLimit = 100;

QLabel* heading(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(FixedPitchFont(true));
    l->setStyleSheet(QStringLiteral("color: red;"));
    return l;
}

QComboBox* combo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(15);  // a whole dotted quad stays readable
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->addItems(items);
    c->setCurrentIndex(0);
    return c;
}

void setField(QComboBox* field, const QString& value) {
    field->setEditText(IsValidIPv4(value) ? value : QString());
}

}  // namespace

TfNIC::TfNIC(QWidget* owner, std::unique_ptr<TncIPInfo> ipInfo,
             std::unique_ptr<ManagementInterface> management)
    : QDialog(owner),
      m_ipInfo(ipInfo ? std::move(ipInfo) : std::make_unique<TncIPInfo>()),
      m_management(management ? std::move(management) : CreateManagementInterface()),
      IPInfo1(m_ipInfo.get()),
      m_actions(*m_ipInfo, *m_management, [this](const QString& line) { AddNICLog(line); },
                {[this](bool busy) {
                     if (busy) {
                         DisableControls();
                         m_hourglass.emplace();
                     } else {
                         m_hourglass.reset();
                         EnableControls();
                     }
                 },
                 [this] { ShowAdapterInfo(); }, [this] { LoadNICList(); }}) {
    buildControls();
    nameControls();
    RunHandler([this] { FormCreate(); });
}

TfNIC::~TfNIC() = default;

void TfNIC::buildControls() {
    setWindowTitle(QStringLiteral("NIC Tool."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Label3 = heading(QStringLiteral("Network Interfaces Card."), this);
    lbNIC = new QListWidget(this);
    lbNIC->setFont(FixedPitchFont(true));
    lbNIC->setCursor(Qt::PointingHandCursor);
    lbNIC->setMinimumWidth(330);
    Label7 = new QLabel(QStringLiteral("!!เปิดโปรแกรมด้วย Run As Administrator.."), this);
    Label7->setStyleSheet(QStringLiteral("color: red;"));

    btnRelease = new QPushButton(QStringLiteral("DHCP Release"), this);
    btnRenew = new QPushButton(QStringLiteral("DHCP Renew"), this);
    btnDHCP = new QPushButton(QStringLiteral("Enable DHCP Client"), this);

    pnIP = new QFrame(this);
    pnIP->setFrameShape(QFrame::StyledPanel);
    edIPAddress = combo(
        QStringLiteral("edIPAddress"),
        {QStringLiteral("192.168.0.2"), QStringLiteral("192.168.1.2"),
         QStringLiteral("192.168.2.2"), QStringLiteral("192.168.3.2"),
         QStringLiteral("192.168.10.2"), QStringLiteral("172.16.1.2"), QStringLiteral("10.0.1.2")},
        pnIP);
    edSubnetMask =
        combo(QStringLiteral("edSubnetMask"),
              {QStringLiteral("255.255.255.0"), QStringLiteral("255.255.254.0"),
               QStringLiteral("255.255.252.0"), QStringLiteral("255.255.248.0"),
               QStringLiteral("255.255.240.0"), QString(), QString(), QString(), QString()},
              pnIP);
    edGateway = combo(
        QStringLiteral("edGateway"),
        {QStringLiteral("192.168.0.1"), QStringLiteral("192.168.1.1"),
         QStringLiteral("192.168.2.1"), QStringLiteral("192.168.10.1"),
         QStringLiteral("172.16.1.1"), QStringLiteral("10.0.1.1"), QStringLiteral("10.0.10.1")},
        pnIP);
    edDNS1 = combo(QStringLiteral("edDNS1"), {QStringLiteral("8.8.8.8"), QStringLiteral("1.1.1.1")},
                   pnIP);
    edDNS2 = combo(
        QStringLiteral("edDNS2"),
        {QStringLiteral("1.1.1.1"), QStringLiteral("8.8.8.8"), QStringLiteral("8.8.4.4")}, pnIP);
    btnFixedIP = new QPushButton(QStringLiteral("Fix IP."), pnIP);
    Memo1 = new QPlainTextEdit(pnIP);
    Memo1->setReadOnly(true);
    Memo1->setPlainText(
        QStringLiteral("กรณีใส่ค่าผิด ทำให้ขึ้น Card NIC ซ้ำ แก้ปัญหาด้วยการ \n"
                       "Disable/Enable Network Card."));
    Memo1->setMaximumHeight(Memo1->fontMetrics().lineSpacing() * 3 + 10);

    auto* ipGrid = new QGridLayout(pnIP);
    ipGrid->addWidget(new QLabel(QStringLiteral("IP Address"), pnIP), 0, 0);
    ipGrid->addWidget(edIPAddress, 0, 1);
    ipGrid->addWidget(new QLabel(QStringLiteral("/"), pnIP), 0, 2);
    ipGrid->addWidget(edSubnetMask, 0, 3);
    ipGrid->addWidget(new QLabel(QStringLiteral("Gateway"), pnIP), 1, 0);
    ipGrid->addWidget(edGateway, 1, 1);
    ipGrid->addWidget(new QLabel(QStringLiteral("DNS"), pnIP), 2, 0);
    ipGrid->addWidget(edDNS1, 2, 1);
    ipGrid->addWidget(edDNS2, 2, 3);
    ipGrid->addWidget(btnFixedIP, 1, 3);
    ipGrid->addWidget(Memo1, 3, 0, 1, 4);

    Label4 = heading(QStringLiteral("Adapter Information"), this);
    mmInfo = new QPlainTextEdit(this);
    mmInfo->setReadOnly(true);
    mmInfo->setFont(FixedPitchFont());
    mmInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = mmInfo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    mmInfo->setPalette(pal);
    mmInfo->setMinimumSize(620, 230);

    LogBox = new QListWidget(this);
    LogBox->setFont(FixedPitchFont());
    LogBox->setMinimumHeight(150);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRelease);
    buttons->addWidget(btnRenew);
    buttons->addWidget(btnDHCP);
    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(pnIP);
    right->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(Label3);
    left->addWidget(lbNIC);
    left->addWidget(Label7);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(Label4);
    all->addWidget(mmInfo);
    all->addWidget(LogBox);
    all->setSizeConstraint(QLayout::SetFixedSize);

    // A click (or a keyboard move) on the list; a selection made by code raises none. A mouse
    // press moves the current row before the click, so the click alone counts for the mouse.
    connect(lbNIC, &QListWidget::itemClicked, this,
            [this] { RunHandler([this] { lbNICClick(); }); });
    connect(lbNIC, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && lbNIC->signalsBlocked() == false &&
            QGuiApplication::mouseButtons() == Qt::NoButton && lbNIC->hasFocus())
            RunHandler([this] { lbNICClick(); });
    });
    connect(btnRelease, &QPushButton::clicked, this, [this] { btnReleaseClick(); });
    connect(btnRenew, &QPushButton::clicked, this, [this] { btnRenewClick(); });
    connect(btnDHCP, &QPushButton::clicked, this, [this] { btnDHCPClick(); });
    connect(btnFixedIP, &QPushButton::clicked, this, [this] { btnFixedIPClick(); });
    // Enter typed in an address field would otherwise run "DHCP Release", the default button.
    ButtonsRunOnlyWhenMeant(this);
}

void TfNIC::nameControls() {
    const std::pair<QObject*, const char*> named[] = {
        {Label3, "Label3"},     {lbNIC, "lbNIC"},
        {Label7, "Label7"},     {btnRelease, "btnRelease"},
        {btnRenew, "btnRenew"}, {btnDHCP, "btnDHCP"},
        {pnIP, "pnIP"},         {btnFixedIP, "btnFixedIP"},
        {Memo1, "Memo1"},       {Label4, "Label4"},
        {mmInfo, "mmInfo"},     {LogBox, "LogBox"},
    };
    for (const auto& [object, name] : named) object->setObjectName(QLatin1String(name));
}

void TfNIC::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnScreen(this);
}

void TfNIC::closeEvent(QCloseEvent* event) {
    if (m_busy)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TfNIC::reject() {
    if (!m_busy) QDialog::reject();
}

void TfNIC::FormCreate() {
    LoadNICList();
}

void TfNIC::LoadNICList() {
    const QSignalBlocker quiet(lbNIC);
    lbNIC->clear();
    const int count = IPInfo1->AdapterCount();
    for (int i = 0; i < count; ++i) {
        IPInfo1->setAdapterIndex(i);
        lbNIC->addItem(IPInfo1->AdapterDescription());
    }
    if (lbNIC->count() > 0) {
        lbNIC->setCurrentRow(0);
        ShowAdapterInfo();
    }
}

void TfNIC::lbNICClick() {
    ShowAdapterInfo();
    sNICName = IPInfo1->AdapterDescription();
}

void TfNIC::ShowAdapterInfo() {
    IPInfo1->setAdapterIndex(lbNIC->currentRow());
    const auto line = [this](const QString& label, const QString& value) {
        mmInfo->appendPlainText(PadColumn(label, u' ', kLabelWidth) + value);
    };
    const QString mac = UpperAsciiLetters(IPInfo1->AdapterPhysicalAddress());
    const QString gap(3, u' ');
    mmInfo->clear();
    line(QStringLiteral("Adapter-Name: "), IPInfo1->AdapterDescription());
    line(QStringLiteral("MAC-Address: "), FormatMac(mac, 2) + gap + mac + gap + FormatMac(mac, 1));
    line(QStringLiteral("Adapter-Type: "), IPInfo1->AdapterType());
    mmInfo->appendPlainText(QString());
    line(QStringLiteral("DHCP-Client: "),
         IPInfo1->AdapterDHCPEnabled() ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    mmInfo->appendPlainText(QString());
    line(QStringLiteral("IP-Address: "), IPInfo1->AdapterIPAddress());
    line(QStringLiteral("SubnetMask: "), IPInfo1->AdapterSubnetMask());
    line(QStringLiteral("Gateway: "), IPInfo1->AdapterGateway());
    line(QStringLiteral("DNS-Server: "), IPInfo1->AdapterDNSServers());
    line(QStringLiteral("DHCP-Server: "), IPInfo1->AdapterDHCPServer());
    line(QStringLiteral("Lease-Expires: "), IPInfo1->AdapterLeaseExpires());

    setField(edIPAddress, IPInfo1->AdapterIPAddress());
    setField(edSubnetMask, IPInfo1->AdapterSubnetMask());
    setField(edGateway, IPInfo1->AdapterGateway());
    const QString dns = IPInfo1->AdapterDNSServers();
    const DnsServerPair servers = dns.isEmpty() ? DnsServerPair{} : SplitDnsServers(dns);
    setField(edDNS1, servers.first);
    setField(edDNS2, servers.second);
}

void TfNIC::AddNICLog(const QString& line) {
    AppendLogLine(LogBox, line, kLogLimit);
}

void TfNIC::DisableControls() {
    for (QWidget* w : {static_cast<QWidget*>(pnIP), static_cast<QWidget*>(lbNIC),
                       static_cast<QWidget*>(btnRelease), static_cast<QWidget*>(btnRenew),
                       static_cast<QWidget*>(btnDHCP)})
        w->setEnabled(false);
    m_busy = true;
}

void TfNIC::EnableControls() {
    for (QWidget* w : {static_cast<QWidget*>(pnIP), static_cast<QWidget*>(lbNIC),
                       static_cast<QWidget*>(btnRelease), static_cast<QWidget*>(btnRenew),
                       static_cast<QWidget*>(btnDHCP)})
        w->setEnabled(true);
    m_busy = false;
}
