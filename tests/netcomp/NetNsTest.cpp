#include <gtest/gtest.h>
#include <sys/socket.h>

#include <fstream>

#include "tests/support/NetNs.h"
#include "tests/support/Root.h"

// The fixture itself: two namespaces linked by veth can reach each other, and a thread that
// enters a namespace sees that namespace's interfaces.
TEST(NetNsFixture, LinksAndEnters) {
    VT_REQUIRE_ROOT();
    NetNs a("fix"), b("fix");
    Link(a, "va", "10.231.0.1/24", b, "vb", "10.231.0.2/24");
    EXPECT_EQ(a.exec("ping -c1 -W2 10.231.0.2 >/dev/null", false), 0);
    {
        NsEnter in(a);
        std::ifstream dev("/proc/self/net/dev");  // per-namespace view
        std::string all((std::istreambuf_iterator<char>(dev)), {});
        EXPECT_NE(all.find("va:"), std::string::npos);
    }
}
