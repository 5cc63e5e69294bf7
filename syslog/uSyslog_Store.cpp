// The syslog list as a store: append with rotation, Clear Log, Save Log, the save on closing.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QListView>

#include "Clock.h"
#include "DateTimeFormat.h"
#include "Dialogs.h"
#include "NumericEdit.h"
#include "PadColumn.h"
#include "SavedLog.h"
#include "StandardError.h"
#include "SyslogLineModel.h"
#include "uSyslog.h"

namespace {
// The notice of a save; paths shown to the user are in the system's own separators ("\\" on
// Windows).
QString Notice(const QString& path) {
    return QStringLiteral("Save log-data to --> ") + QDir::toNativeSeparators(path);
}
}  // namespace

void TfSyslog::AddLogLine(const QString& text) {
    if (cbStampdatetime->isChecked())
        m_model->append(PadColumn(FormatNow(stamp::LogLine), u' ', 20) + text);
    else
        m_model->append(text);
    selectRow(m_model->count() - 1);
    if (m_model->count() <= edValue->value()) return;
    // Rotation. A failed save throws here: the line stays, and the next append tries again.
    const QString path = saveList(QStringLiteral("auto-"));
    m_model->clear();
    m_model->append(Notice(path));
    selectRow(-1);
}

void TfSyslog::addNoticeLine(const QString& path) {
    m_model->append(Notice(path));
}

QString TfSyslog::saveList(const QString& prefix) {
    // Distinct within one second: SavedLogPath numbers a name that exists already.
    const QString path = SavedLogPath(QDir::currentPath(), prefix, SystemClock().now());
    WriteSavedLog(path, m_model->lines());
    return path;
}

void TfSyslog::btnClearLogClick() {
    if (dialogs().confirm(this, ApplicationTitle(), QStringLiteral("ต้องการ Clear ข้อมูลหรือไม่?")) !=
        Dialogs::Answer::Yes)
        return;
    const QString path = saveList(QStringLiteral("before-clear-"));
    m_model->clear();
    selectRow(-1);
    AddLogLine(Notice(path));
}

void TfSyslog::btnSaveClick() {
    const QString suggested =
        QDir::currentPath() + u'/' + FormatNow(stamp::FileName) + QStringLiteral("-log");
    QString name =
        dialogs().saveFileName(this, QStringLiteral("Save LOG to File"), suggested,
                               QStringLiteral("Text File (*.txt)"), QStringLiteral("txt"));
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".txt");
    name = QFileInfo(name).absoluteFilePath();
    WriteSavedLog(name, m_model->lines());
    addNoticeLine(name);
    dialogs().information(this, ApplicationTitle(),
                          QStringLiteral("Save Log-File: ") + QDir::toNativeSeparators(name));
}

bool TfSyslog::FormCloseQuery() {
    if (m_model->count() > 0) saveList(QStringLiteral("before-close-"));
    return true;
}
