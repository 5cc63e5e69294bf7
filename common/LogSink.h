#pragma once

#include <QString>
#include <functional>

// Where a runner writes its lines: the main window's activity log, or a list in a test.
using LogSink = std::function<void(const QString& line)>;
