#include <gtest/gtest.h>

#include <stdexcept>

#include "netcomp/NetComponent.h"

namespace {
// A minimal component with one event, to exercise the delivery rule.
class Probe : public TncComponent {
  public:
    std::function<void(Probe*, int)> OnTick;
    void tick(int n) { deliver(OnTick, "Tick", this, n); }
};
}  // namespace

TEST(NetComponentContract, MessageIsCodeColonDescription) {
    EncPing e(11010, "Request timed out");
    EXPECT_EQ(e.message(), "11010: Request timed out");
    EXPECT_EQ(e.Code, 11010);
    const ENetComponent& base = e;
    EXPECT_STREQ(base.what(), "11010: Request timed out");
}

TEST(NetComponentContract, HandlerExceptionsBecomeComponentErrors) {
    Probe p;
    int errCode = 0;
    QString errText;
    p.OnError = [&](TncComponent*, int code, const QString& text) {
        errCode = code;
        errText = text;
    };

    p.tick(1);  // unbound: nothing happens
    EXPECT_EQ(errCode, 0);

    p.OnTick = [](Probe*, int) { throw std::runtime_error("boom"); };
    EXPECT_NO_THROW(p.tick(1));
    EXPECT_EQ(errCode, -1);
    EXPECT_EQ(errText, "An unhandled error occurred in the Tick event handler: boom");

    p.OnTick = [](Probe*, int) { throw EncTraceRoute(42, "refused"); };
    EXPECT_NO_THROW(p.tick(1));
    EXPECT_EQ(errCode, 42);
    EXPECT_EQ(errText, "42: refused");

    p.OnError = [](TncComponent*, int, const QString&) { throw std::runtime_error("again"); };
    EXPECT_NO_THROW(p.tick(1));  // nothing escapes the error event either
    EXPECT_EQ(p.LastEventErrorCode(), 42);
}
