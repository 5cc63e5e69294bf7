// GoogleTest entry point with a QApplication, so widget and event-loop tests can run headless.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Network-Tool"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
