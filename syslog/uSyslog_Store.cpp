// The syslog list's commands: the window's own lines, Clear Log, Save Log, the save on closing.
// What they do to the list lives in SyslogStore.
#include <QDir>
#include <QFileInfo>

#include "common/DateTimeFormat.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "ui/Dialogs.h"
#include "ui/StandardError.h"

void TfSyslog::AddLogLine(const QString& text) {
    m_store->append(text);
}

void TfSyslog::btnClearLogClick() {
    if (dialogs().confirm(this, ApplicationTitle(), QStringLiteral("ต้องการ Clear ข้อมูลหรือไม่?")) !=
        Dialogs::Answer::Yes)
        return;
    m_store->clearWithSave();
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
    m_store->saveAs(name);
    dialogs().information(this, ApplicationTitle(),
                          QStringLiteral("Save Log-File: ") + QDir::toNativeSeparators(name));
}

bool TfSyslog::FormCloseQuery() {
    m_store->saveBeforeClose();
    return true;
}
