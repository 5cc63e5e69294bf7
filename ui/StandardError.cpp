#include "ui/StandardError.h"

#include <QCoreApplication>

#include "common/Exception.h"
#include "ui/Dialogs.h"

QString ApplicationTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Network-Tool") : name;
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() <= u'.') return message;
    return message + u'.';
}

void ShowStandardError(const QString& message) {
    dialogs().error(nullptr, ApplicationTitle(), WithFullStop(message));
}

void ShowStandardError(const std::exception& e) {
    ShowStandardError(MessageOf(e));
}
