// Draws the window's icons, the banner logo and the desktop icon (hicolor/) into PNG files (kept
// in the repository; rerun after changing a drawing):
//   g++ -std=c++20 -fPIC draw-icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw-icons
//   QT_QPA_PLATFORM=offscreen /tmp/draw-icons .
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

void Save(const QString& dir, const QString& name, QSize size,
          const std::function<void(QPainter&)>& draw) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    img.save(dir + "/" + name + ".png");
}

const QSize kIcon(32, 32);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? argv[1] : ".";

    // Ping: a green disc sending out two waves.
    Save(dir, "ping", kIcon, [](QPainter& p) {
        p.setBrush(QColor(0x2e, 0x9e, 0x44));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(9, 16), 6, 6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x2e, 0x9e, 0x44), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6, 6, 20, 20), -50 * 16, 100 * 16);
        p.drawArc(QRectF(2, 1, 30, 30), -50 * 16, 100 * 16);
    });
    // Trace route: hops joined by a path to a flag.
    Save(dir, "trace", kIcon, [](QPainter& p) {
        p.setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 2.5));
        QPainterPath path(QPointF(4, 27));
        path.lineTo(12, 18);
        path.lineTo(19, 22);
        path.lineTo(27, 8);
        p.drawPath(path);
        p.setBrush(QColor(0x1f, 0x5f, 0xbf));
        for (QPointF c : {QPointF(4, 27), QPointF(12, 18), QPointF(19, 22)}) p.drawEllipse(c, 3, 3);
        p.setBrush(QColor(0xe0, 0x3c, 0x31));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(27, 2), QPointF(31, 5), QPointF(27, 8)}));
    });
    // Stop: a red octagon with a white bar.
    Save(dir, "stop", kIcon, [](QPainter& p) {
        QPolygonF oct;
        for (QPointF q : {QPointF(10, 2), QPointF(22, 2), QPointF(30, 10), QPointF(30, 22),
                          QPointF(22, 30), QPointF(10, 30), QPointF(2, 22), QPointF(2, 10)})
            oct << q;
        p.setBrush(QColor(0xd3, 0x2f, 0x2f));
        p.setPen(Qt::NoPen);
        p.drawPolygon(oct);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 13, 16, 6));
    });
    // Telnet / port test: a terminal window with a prompt.
    Save(dir, "telnet", kIcon, [](QPainter& p) {
        p.setBrush(QColor(0x26, 0x32, 0x38));
        p.setPen(QPen(QColor(0x54, 0x6e, 0x7a), 1.5));
        p.drawRoundedRect(QRectF(2, 5, 28, 22), 3, 3);
        p.setPen(QPen(QColor(0x66, 0xff, 0x66), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(7, 11), QPointF(12, 16), QPointF(7, 21)}));
        p.drawLine(QPointF(15, 21), QPointF(23, 21));
    });
    // Network interface card: a green board with a port and contacts.
    Save(dir, "nic", kIcon, [](QPainter& p) {
        p.setBrush(QColor(0x38, 0x8e, 0x3c));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(2, 6, 28, 16));
        p.setBrush(QColor(0xff, 0xc1, 0x07));
        for (int x = 6; x < 28; x += 4) p.drawRect(QRectF(x, 22, 2, 5));
        p.setBrush(QColor(0xcf, 0xd8, 0xdc));
        p.drawRect(QRectF(20, 9, 8, 8));
        p.setBrush(QColor(0x21, 0x21, 0x21));
        p.drawRect(QRectF(5, 10, 10, 6));
    });
    // Syslog server: a page of lines.
    Save(dir, "syslog", kIcon, [](QPainter& p) {
        p.setBrush(Qt::white);
        p.setPen(QPen(QColor(0x60, 0x7d, 0x8b), 1.5));
        p.drawRect(QRectF(5, 2, 22, 28));
        p.setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 2));
        for (int y = 8; y <= 24; y += 4) p.drawLine(QPointF(9, y), QPointF(y % 8 ? 19 : 23, y));
    });
    // IP calculator: keys under a display.
    Save(dir, "calc", kIcon, [](QPainter& p) {
        p.setBrush(QColor(0x45, 0x5a, 0x64));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(5, 2, 22, 28), 3, 3);
        p.setBrush(QColor(0xc5, 0xe1, 0xa5));
        p.drawRect(QRectF(8, 5, 16, 6));
        p.setBrush(Qt::white);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) p.drawRect(QRectF(8 + c * 6, 14 + r * 5, 4, 3));
    });
    // Read me: an information disc.
    Save(dir, "readme", kIcon, [](QPainter& p) {
        p.setBrush(QColor(0x1f, 0x5f, 0xbf));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(2, 2, 28, 28));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 9), 2.5, 2.5);
        p.drawRoundedRect(QRectF(13.5, 13, 5, 12), 1.5, 1.5);
    });
    // The program: three linked nodes; also the desktop's icon in the hicolor theme's sizes.
    const auto nodes = [](QPainter& p) {
        p.setBrush(QColor(0x0d, 0x47, 0xa1));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        p.setPen(QPen(Qt::white, 4));
        const QPointF a(32, 16), b(16, 46), c(48, 46);
        p.drawLine(a, b);
        p.drawLine(a, c);
        p.drawLine(b, c);
        p.setBrush(QColor(0x4f, 0xc3, 0xf7));
        p.setPen(QPen(Qt::white, 3));
        for (QPointF q : {a, b, c}) p.drawEllipse(q, 8, 8);
    };
    Save(dir, "app", QSize(64, 64), nodes);
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(n);
        QDir(dir).mkpath(folder);
        Save(dir, folder + "/com.velkor.NetworkTool", QSize(n, n), [&](QPainter& p) {
            p.scale(n / 64.0, n / 64.0);
            nodes(p);
        });
    }
    // Banner logo: the nodes beside the maker's name.
    Save(dir, "logo", QSize(150, 44), [](QPainter& p) {
        p.setPen(QPen(QColor(0x0d, 0x47, 0xa1), 3));
        const QPointF a(20, 8), b(8, 34), c(32, 34);
        p.drawLine(a, b);
        p.drawLine(a, c);
        p.drawLine(b, c);
        p.setBrush(QColor(0x4f, 0xc3, 0xf7));
        for (QPointF q : {a, b, c}) p.drawEllipse(q, 6, 6);
        QFont f("DejaVu Sans", 20, QFont::Bold);
        f.setPixelSize(26);
        p.setFont(f);
        p.setPen(QColor(0x0d, 0x47, 0xa1));
        p.drawText(QRectF(44, 0, 106, 44), Qt::AlignVCenter | Qt::AlignLeft, "velkor");
    });
    return 0;
}
