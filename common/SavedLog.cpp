#include "common/SavedLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/AnsiCodePage.h"
#include "common/DateTimeFormat.h"
#include "common/Exception.h"

QByteArray SavedLogBytes(const QStringList& lines, const std::string& charset) {
    QByteArray bytes;
    if (ansi::IsUtf8Charset(charset)) bytes += "\xEF\xBB\xBF";
    for (const QString& line : lines) {
        const std::string encoded = ansi::EncodeAs(
            std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()), line.size()),
            charset);
        bytes.append(encoded.data(), static_cast<qsizetype>(encoded.size()));
        bytes += "\r\n";
    }
    return bytes;
}

void WriteSavedLog(const QString& path, const QStringList& lines, const std::string& charset) {
    const QByteArray bytes = SavedLogBytes(lines, charset);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw Exception(QStringLiteral("Stream write error"));
    file.close();
    if (file.error() != QFileDevice::NoError) throw Exception(QStringLiteral("Stream write error"));
}

void WriteSavedLog(const QString& path, const QStringList& lines) {
    WriteSavedLog(path, lines, ansi::CharsetName());
}

QString SavedLogPath(const QString& directory, const QString& prefix, const QDateTime& time) {
    const QString base = directory + u'/' + prefix + FormatDateTime(stamp::FileName, time);
    QString path = base + QStringLiteral("-log.txt");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral("-%1-log.txt").arg(n);
    return path;
}
