#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

// Tests that create network namespaces, open raw sockets or bind port 514 need root.
// VT_UNPRIVILEGED=1 skips them as root too (the sanitizer run covers the unprivileged tests only).
#define VT_REQUIRE_ROOT()                                                                  \
    do {                                                                                   \
        if (::geteuid() != 0 || std::getenv("VT_UNPRIVILEGED"))                            \
            GTEST_SKIP() << "needs root (network namespaces, raw sockets, port 514); run " \
                            "./test.sh as root to include it";                             \
    } while (0)
