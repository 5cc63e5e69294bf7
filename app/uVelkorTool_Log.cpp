// The activity log: appending with the 1000-line cap, and saving to a "tool-" file.
#include <QDir>
#include <QListWidget>

#include "app/uVelkorTool.h"
#include "common/Clock.h"
#include "common/SavedLog.h"
#include "ui/WindowHelpers.h"

void TfMain::AddSysLog(const QString& text) {
    AppendLogLine(LogBox, text, 1000);
}

void TfMain::Log1Click() {
    if (LogBox->count() == 0) return;
    QStringList lines;
    lines.reserve(LogBox->count());
    for (int i = 0; i < LogBox->count(); ++i) lines << LogBox->item(i)->text();
    WriteSavedLog(SavedLogPath(QDir::currentPath(), QStringLiteral("tool-"), SystemClock().now()),
                  lines);
}
