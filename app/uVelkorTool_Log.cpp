// The activity log: appending with the 1000-line cap, and saving to a "tool-" file.
#include <QDir>
#include <QListWidget>

#include "app/uVelkorTool.h"
#include "common/Clock.h"
#include "common/SavedLog.h"

void TfMain::AddSysLog(const QString& text) {
    LogBox->addItem(text);
    LogBox->setCurrentRow(LogBox->count() - 1);
    LogBox->scrollToItem(LogBox->currentItem());
    if (LogBox->count() > 1000) LogBox->clear();
}

void TfMain::Log1Click() {
    if (LogBox->count() == 0) return;
    QStringList lines;
    lines.reserve(LogBox->count());
    for (int i = 0; i < LogBox->count(); ++i) lines << LogBox->item(i)->text();
    WriteSavedLog(SavedLogPath(QDir::currentPath(), QStringLiteral("tool-"), SystemClock().now()),
                  lines);
}
