// The adapter tool opens from the main window's menu as a new modal window each time.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include "adapter/uNIC.h"
#include "app/uVelkorTool.h"
#include "tests/support/Child.h"

TEST(NicMenu, EachOpeningIsANewModalWindow) {
    TfMain main;
    ASSERT_TRUE(Child<QAction>(main, "GenCLI1")->isEnabled());
    std::vector<TfNIC*> seen;
    QStringList logAtOpening;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, [&] {
            auto* nic = qobject_cast<TfNIC*>(QApplication::activeModalWidget());
            if (!nic) return;
            seen.push_back(nic);
            EXPECT_EQ(nic->parentWidget(), &main);
            auto* log = Child<QListWidget>(*nic, "LogBox");
            logAtOpening << QString::number(log->count());
            log->addItem("left behind");
            nic->close();
        });
        Child<QAction>(main, "GenCLI1")->trigger();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(logAtOpening, QStringList({"0", "0"}));  // nothing survives closing
    EXPECT_TRUE(main.findChildren<TfNIC*>().isEmpty());
}
