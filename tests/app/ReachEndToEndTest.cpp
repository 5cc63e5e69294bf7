#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "app/uVelkorTool.h"
#include "tests/app/MainControls.h"
#include "tests/support/NetNs.h"
#include "tests/support/Root.h"
#include "tests/support/ScriptedDialogs.h"

// The window on its real components, in a namespace that has only loopback.
TEST(ReachEndToEnd, PingAndTraceOnLoopback) {
    VT_REQUIRE_ROOT();
    NetNs ns("reach");
    NsEnter in(ns);
    ScriptedDialogs boxes;
    TfMainComponents parts;
    parts.IPInfo1 = std::make_unique<TncIPInfo>([] { return AdapterQueryResult{}; });
    TfMain w(std::move(parts));
    const MainControls ui(w);
    ui.edHostName->setEditText("127.0.0.1");

    ui.btnPing->click();
    ui.btnTracerute->click();
    QStringList log;
    for (int i = 0; i < ui.LogBox->count(); ++i) log << ui.LogBox->item(i)->text();
    ASSERT_EQ(log.size(), 13 + 4) << log.join('\n').toStdString();
    EXPECT_EQ(log[2], "[1] Sending: 32 bytes  --->   127.0.0.1");
    EXPECT_TRUE(log[3].startsWith("     >>> Success reply from: 127.0.0.1  Time: "))
        << log[3].toStdString();
    EXPECT_EQ(log[12], "************ Ping Count: 5 Success: 5 Failed: 0 ************");
    EXPECT_TRUE(log[15].startsWith("[Hop 1] ---> 127.0.0.1                     Time: "))
        << log[15].toStdString();
    EXPECT_EQ(log[16], "********** Trace Route Complete. **********");
    EXPECT_TRUE(boxes.shown.empty());
}
