#include "address/uIPTool.h"

#include <QRegularExpression>
#include <QStringList>
#include <bit>
#include <optional>

#include "common/Exception.h"
#include "common/IPv4Text.h"

namespace {

const char kDottedQuadPattern[] =
    "^((25[0-5]|2[0-4][0-9]|[0-1]?[0-9][0-9]?)\\.){3}(25[0-5]|2[0-4][0-9]|[0-1]?[0-9][0-9]?)$";

// Empty pieces count, leading and trailing ones too; an empty text has no pieces.
QStringList SplitAt(const QString& text, QChar separator) {
    if (text.isEmpty()) return {};
    return text.split(separator, Qt::KeepEmptyParts);
}

// Optional sign and decimal digits within the signed 32-bit range; nothing else, not even blanks.
std::optional<qint32> ToInt(const QString& piece) {
    qsizetype i = (piece.startsWith(u'-') || piece.startsWith(u'+')) ? 1 : 0;
    if (i == piece.size()) return std::nullopt;
    for (; i < piece.size(); ++i)
        if (piece[i] < u'0' || piece[i] > u'9') return std::nullopt;
    bool ok = false;
    const int value = piece.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

qint32 LenientInt(const QString& piece) {
    return ToInt(piece).value_or(0);
}

}  // namespace

QString UpperAsciiLetters(QString text) {
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
    return text;
}

qint32 StrictToInt(const QString& text) {
    if (auto value = ToInt(text)) return *value;
    throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

bool IsValidIPv4(const QString& text) {
    // Compiled for each check on purpose: the helpers keep no state between calls. Qt's
    // QRegularExpression runs on PCRE2.
    const QRegularExpression pattern(QString::fromLatin1(kDottedQuadPattern));
    const QRegularExpressionMatch match = pattern.match(text);
    // "$" also matches before a final newline; the match must run to the very end of the text.
    return match.hasMatch() && match.capturedEnd(0) == text.size();
}

quint32 ParseIPv4(const QString& text) {
    const QStringList pieces = SplitAt(text, u'.');
    if (pieces.size() != 4) throw Exception(QStringLiteral("Invalid IP Address format"));
    quint32 value = 0;
    for (const QString& piece : pieces)
        value = (value << 8) | static_cast<quint32>(StrictToInt(piece));
    return value;
}

QString IntToIPv4(quint32 value) {
    return QString::fromStdString(FormatDottedQuad(value));
}

int CountBits(quint32 value) {
    return std::popcount(value);
}

int MaskBitCount(const QString& mask) {
    const QStringList pieces = SplitAt(mask, u'.');
    if (pieces.size() != 4) throw Exception(QStringLiteral("Invalid Subnet Mask format"));
    int bits = 0;
    for (const QString& piece : pieces) {
        const qint32 value = StrictToInt(piece);
        if (value < 0 || value > 255)
            throw Exception(QStringLiteral("Invalid value in Subnet Mask: ") + piece);
        bits += CountBits(static_cast<quint32>(value));
    }
    return bits;
}

QString PrefixToMask(qint32 n) {
    const quint32 shift = (32u - static_cast<quint32>(n)) & 31u;
    return IntToIPv4(0xFFFFFFFFu << shift);
}

QString SubnetId(const QString& address, const QString& mask) {
    const quint32 a = ParseIPv4(address);
    const quint32 m = ParseIPv4(mask);
    return IntToIPv4(a & m);
}

AddressRange DhcpRange(const QString& address, const QString& mask) {
    const quint32 a = ParseIPv4(address);
    const quint32 m = ParseIPv4(mask);
    const quint32 network = a & m;
    const quint32 broadcast = network | ~m;
    return {IntToIPv4(network + 1), IntToIPv4(broadcast - 1)};
}

qint32 MaxHosts(const QString& mask) {
    // Missing pieces (fewer than four) count as 0, like pieces that are not numbers.
    const QStringList pieces = SplitAt(mask, u'.');
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 part = i < pieces.size() ? static_cast<quint32>(LenientInt(pieces[i])) : 0;
        value |= part << (24 - 8 * i);
    }
    const int bits = CountBits(value);
    return static_cast<qint32>((1u << ((32 - bits) % 32)) - 2u);
}

bool SameSubnet(const QString& candidate, const QString& address, const QString& mask) {
    const quint32 a = ParseIPv4(candidate);
    const quint32 b = ParseIPv4(address);
    const quint32 c = ParseIPv4(mask);
    const quint32 network = b & c;
    const quint32 broadcast = network | ~c;
    return network <= a && a <= broadcast;
}

DnsServerPair SplitDnsServers(const QString& list) {
    const QStringList pieces = SplitAt(list, u' ');
    DnsServerPair servers;
    if (pieces.size() >= 1) servers.first = pieces[0];
    if (pieces.size() >= 2) servers.second = pieces[1];
    return servers;
}

QString FormatMac(const QString& text, int kind) {
    if (text.isEmpty()) return {};
    QString r = text;
    r.remove(u'-');
    switch (kind) {
        case 1:
            return UpperAsciiLetters(r.mid(0, 4) + u'.' + r.mid(4, 4) + u'.' + r.mid(8, 4));
        case 2: {
            QStringList groups;
            for (int i = 0; i < 12; i += 2) groups << r.mid(i, 2);
            return UpperAsciiLetters(groups.join(u':'));
        }
        default:
            throw Exception(QStringLiteral("Unsupported format type"));
    }
}
