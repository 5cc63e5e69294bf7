#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

// Tests that create network namespaces, open raw sockets or bind port 514 need root.
#define VT_REQUIRE_ROOT()                                                                  \
    do {                                                                                   \
        if (::geteuid() != 0)                                                              \
            GTEST_SKIP() << "needs root (network namespaces, raw sockets, port 514); run " \
                            "./test.sh as root to include it";                             \
    } while (0)
