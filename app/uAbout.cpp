#include "app/uAbout.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/LinkLabel.h"
#include "ui/WindowHelpers.h"

namespace {

QPlainTextEdit* MakeMemo(QWidget* parent, const QFont& font, const QString& text) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setFont(font);
    memo->setPlainText(text);
    // Viewable, selectable and copyable, never editable.
    memo->setReadOnly(true);
    memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return memo;
}

}  // namespace

QString TfAbout::MakerAddress() {
    return QStringLiteral("https://www.velkor.com");
}

QString TfAbout::ReadMeText() {
    return QStringLiteral(
        "*** Read ME. ***\n"
        "\n"
        "โปรแกรมนี้เริ่มต้นจากการเป็นเครื่องมือง่าย ๆ ที่ผมเขียนไว้ใช้งานเอง "
        "เมื่อนำมาเผยแพร่จึงได้เพิ่มการตรวจสอบข้อมูลที่ผู้ใช้ป้อน "
        "และแสดงสถานะการทำงานให้ละเอียดมากขึ้น\n"
        "\n"
        "หากโปรแกรมค้าง สามารถปิดโปรแกรมได้จาก Task Manager "
        "โดยไม่มีผลเสียใด ๆ ต่อระบบ\n"
        "\n"
        "หน้าตาของโปรแกรมออกแบบให้เรียบง่าย เน้นการแสดง Log เป็นหลัก\n"
        "\n"
        "โปรแกรมไม่มีการจัดเก็บหรือส่งข้อมูลใด ๆ ออกไป "
        "การ Trace Route และ Ping ใช้เพียง Protocol ICMP เท่านั้น "
        "ส่วนการทดสอบ Telnet จะตัดการเชื่อมต่อทันทีหลังจากเชื่อมต่อสำเร็จ\n"
        "\n"
        "การตั้งค่า Fixed IP หรือ DHCP ให้กับ Network Card ต้องใช้สิทธิ์ Administrator "
        "จึงต้องเปิดโปรแกรมด้วย Run as administrator สำหรับการใช้งานส่วนนี้ "
        "ส่วนการใช้งานอื่น ๆ ไม่จำเป็นต้องใช้สิทธิ์ Administrator\n"
        "\n"
        "ความสามารถของโปรแกรม\n"
        "1. Ping และ Interface Ping สำหรับเครื่องที่เชื่อมต่อทั้ง Wi-Fi และ LAN "
        "ที่อยู่ต่างวงเครือข่ายกัน เพื่อตรวจสอบว่าเครือข่ายใดออกอินเทอร์เน็ตไม่ได้\n"
        "2. Syslog Server รับ Log จาก Syslog Client และบันทึก Log "
        "เมื่อปิดหน้าต่าง หรือเมื่อจำนวนบรรทัดเกินกว่าที่กำหนด\n"
        "3. Telnet สำหรับตรวจสอบการ Forward Port ที่ใช้ Protocol TCP\n"
        "4. Trace Route จากต้นทางไปยังปลายทาง โดยไม่แปลงชื่อ (Resolve Name) "
        "เพื่อความรวดเร็ว\n"
        "5. ปิดโปรแกรมแล้วเลือก \"No\" โปรแกรมจะยังทำงานอยู่ใน Trayicon\n"
        "\n"
        "หากพบข้อผิดพลาดในการใช้งาน สามารถแจ้งกลับมาได้เลยครับ ขอบคุณครับ");
}

QStringList TfAbout::ReleaseNoteLines() {
    return {QStringLiteral("*** Velkor-Tool Release Note... ***"),
            QString(),
            QStringLiteral("[v0.2.1]"),
            QStringLiteral("Fixed bug!!"),
            QStringLiteral("validate user error."),
            QString(),
            QStringLiteral("[V0.2]"),
            QStringLiteral("migrate app syslog server"),
            QStringLiteral("migrate app NIC Fix."),
            QStringLiteral("migrade app calc-ip"),
            QString(),
            QStringLiteral("[V0.1]"),
            QStringLiteral("get network interface card detail."),
            QStringLiteral("function ping tool, interface ping"),
            QString(),
            QString(),
            QString()};
}

TfAbout::TfAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About..."));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    URLLabel1 = new LinkLabel(MakerAddress(), QUrl(MakerAddress()), this);
    URLLabel1->setObjectName(QStringLiteral("URLLabel1"));
    URLLabel1->setFont(QFont(QStringLiteral("Tahoma"), 14));
    URLLabel1->setAlwaysUnderlined(true);
    URLLabel1->setColors(palette().color(QPalette::Highlight), QColor(), QColor(0x80, 0x00, 0x80));

    QFont thaiFont(QStringLiteral("Microsoft Sans Serif"), 10);
    thaiFont.setStyleHint(QFont::SansSerif);
    Memo1 = MakeMemo(this, thaiFont, ReadMeText());
    Memo1->setObjectName(QStringLiteral("Memo1"));

    QFont fixedFont = FixedPitchFont();
    fixedFont.setPointSize(10);
    Memo2 = MakeMemo(this, fixedFont, ReleaseNoteLines().join(u'\n'));
    Memo2->setObjectName(QStringLiteral("Memo2"));

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(URLLabel1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Memo1, 3);
    layout->addWidget(Memo2, 2);

    setFixedSize(560, 560);
}

void TfAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        CenterOnScreen(this);
    }
}
