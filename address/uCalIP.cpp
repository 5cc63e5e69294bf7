#include "address/uCalIP.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "address/uIPTool.h"
#include "ui/Dialogs.h"
#include "ui/StandardError.h"
#include "ui/WindowHelpers.h"

namespace {

constexpr QChar kEnter = QChar(13);

QLineEdit* MakeOutput(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    return edit;
}

// The character a key press types, Enter (either key) as character 13; null for keys typing none.
QChar TypedChar(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return kEnter;
    return e->text().isEmpty() ? QChar() : e->text().front();
}

}  // namespace

TfCalIP::TfCalIP(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("คำนวน IP Address"));

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    rgCalSubnet = new QGroupBox(QStringLiteral("IP Class"), panel);
    rgCalSubnet->setObjectName(QStringLiteral("rgCalSubnet"));
    rgCalSubnet->setCursor(Qt::PointingHandCursor);
    rgCalSubnetItems = new QButtonGroup(rgCalSubnet);
    auto* classRow = new QHBoxLayout(rgCalSubnet);
    const QString classes[] = {QStringLiteral("Class A"), QStringLiteral("Class B"),
                               QStringLiteral("Class C")};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(classes[i], rgCalSubnet);
        rgCalSubnetItems->addButton(item, i);
        classRow->addWidget(item);
    }
    rgCalSubnetItems->button(0)->setChecked(true);

    edCalIPAddress = new QLineEdit(QStringLiteral("10.0.0.1"), panel);
    edCalIPAddress->setObjectName(QStringLiteral("edCalIPAddress"));

    edCalSubnetMAsk = new QComboBox(panel);
    edCalSubnetMAsk->setObjectName(QStringLiteral("edCalSubnetMAsk"));
    edCalSubnetMAsk->setEditable(false);
    edCalSubnetMAsk->setMaxVisibleItems(10);
    edCalSubnetMAsk->setCursor(Qt::PointingHandCursor);
    edCalSubnetMAsk->addItems({QStringLiteral("255.255.255.0"), QStringLiteral("255.255.254.0"),
                               QStringLiteral("255.255.252.0"), QStringLiteral("255.255.248.0"),
                               QStringLiteral("255.255.240.0")});
    edCalSubnetMAsk->setCurrentIndex(0);

    edCalMaskBit = MakeOutput(panel, "edCalMaskBit");
    edCalSubnetID = MakeOutput(panel, "edCalSubnetID");
    edCalDHCPRange = MakeOutput(panel, "edCalDHCPRange");
    edCalMaxHost = MakeOutput(panel, "edCalMaxHost");

    auto* grid = new QGridLayout(panel);
    grid->addWidget(rgCalSubnet, 0, 0, 1, 2);
    const struct {
        const char* label;
        QWidget* field;
    } rows[] = {{"IP Address", edCalIPAddress}, {"Subnet Mask", edCalSubnetMAsk},
                {"Mask Bit", edCalMaskBit},     {"Subnet ID", edCalSubnetID},
                {"DHCP Range", edCalDHCPRange}, {"จำนวน Host", edCalMaxHost}};
    int row = 1;
    for (const auto& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.label), panel);
        label->setBuddy(r.field);
        grid->addWidget(label, row, 0);
        grid->addWidget(r.field, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel);

    connect(rgCalSubnetItems, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) rgCalSubnetClick(rgCalSubnet);
    });
    // activated: a choice by the user (mouse or keyboard), not a change made by the program.
    connect(edCalSubnetMAsk, &QComboBox::activated, this,
            [this](int) { edCalSubnetMAskSelect(edCalSubnetMAsk); });
    edCalSubnetMAsk->installEventFilter(this);
    edCalMaskBit->installEventFilter(this);

    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void TfCalIP::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        CenterOnScreen(this);
    }
}

bool TfCalIP::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        (watched != edCalSubnetMAsk && watched != edCalMaskBit))
        return QDialog::eventFilter(watched, event);
    QChar key = TypedChar(static_cast<QKeyEvent*>(event));
    if (key.isNull()) return false;
    if (watched == edCalSubnetMAsk)
        edCalSubnetMAskKeyPress(watched, key);
    else
        edCalMaskBitKeyPress(watched, key);
    return key.isNull();
}

bool TfCalIP::CheckIPAndMask(const QString& address, const QString& mask) const {
    return IsValidIPv4(address) && IsValidIPv4(mask);
}

void TfCalIP::ShowFormatMessage() {
    dialogs().information(this, ApplicationTitle(), QStringLiteral("ใส่ Format IP ให้ถูกต้อง"));
}

void TfCalIP::Calculate() {
    // Address and mask are read afresh at each use.
    const AddressRange range = DhcpRange(edCalIPAddress->text(), edCalSubnetMAsk->currentText());
    edCalSubnetID->setText(SubnetId(edCalIPAddress->text(), edCalSubnetMAsk->currentText()));
    edCalDHCPRange->setText(range.first + u'-' + range.last);
    edCalMaxHost->setText(QString::number(MaxHosts(edCalSubnetMAsk->currentText())));
}

void TfCalIP::rgCalSubnetClick(QObject*) {
    RunHandler([&] {
        switch (rgCalSubnetItems->checkedId()) {
            case 0:
                edCalIPAddress->setText(QStringLiteral("10.0.0.1"));
                break;
            case 1:
                edCalIPAddress->setText(QStringLiteral("172.16.0.1"));
                break;
            case 2:
                edCalIPAddress->setText(QStringLiteral("192.168.0.1"));
                break;
            default:
                break;
        }
    });
}

void TfCalIP::edCalSubnetMAskSelect(QObject*) {
    RunHandler([&] {
        if (!CheckIPAndMask(edCalIPAddress->text(), edCalSubnetMAsk->currentText())) {
            ShowFormatMessage();
            return;
        }
        edCalMaskBit->setText(QString::number(MaskBitCount(edCalSubnetMAsk->currentText())));
        Calculate();
    });
}

void TfCalIP::edCalSubnetMAskKeyPress(QObject*, QChar& key) {
    if (key != kEnter) return;
    key = QChar();
    RunHandler([&] {
        if (!CheckIPAndMask(edCalIPAddress->text(), edCalSubnetMAsk->currentText()))
            ShowFormatMessage();
        else
            Calculate();
    });
}

void TfCalIP::edCalMaskBitKeyPress(QObject*, QChar& key) {
    if (key != kEnter) return;
    RunHandler([&] {
        const qint32 n = StrictToInt(edCalMaskBit->text());
        // The field only ever holds the bit count of a listed mask; another mask keeps the list as
        // is.
        const int index = edCalSubnetMAsk->findText(PrefixToMask(n));
        if (index >= 0) edCalSubnetMAsk->setCurrentIndex(index);
        if (!CheckIPAndMask(edCalIPAddress->text(), edCalSubnetMAsk->currentText())) {
            ShowFormatMessage();
            return;
        }
        Calculate();
    });
}
