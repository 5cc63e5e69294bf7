#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <string>

// Saved log files: every line followed by CR LF, in the system's ANSI character set (a byte-order
// mark only when that set is UTF-8), nothing else in the file.

// Creates (or replaces) the file at path and writes lines into it. Throws Exception with
// "Cannot create file "<path>". <reason>" when the file cannot be created (no file is left) and
// "Stream write error" when writing fails part way (what was written stays).
void WriteSavedLog(const QString& path, const QStringList& lines);

// The same in a named character set (see ansi::CharsetName).
void WriteSavedLog(const QString& path, const QStringList& lines, const std::string& charset);

// The bytes WriteSavedLog puts in the file.
QByteArray SavedLogBytes(const QStringList& lines, const std::string& charset);

// directory + "/" + prefix + the "ddmmyyyy-hhmmss" stamp of time + "-log.txt". File names have a
// resolution of one second; when that file exists already (an earlier save in the same second),
// "-2", "-3", ... goes after the stamp so the earlier file is never overwritten.
QString SavedLogPath(const QString& directory, const QString& prefix, const QDateTime& time);
