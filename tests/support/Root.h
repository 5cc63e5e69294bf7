#pragma once

#include <gtest/gtest.h>

#include <string>

// Why a test that creates network namespaces, opens raw sockets or binds port 514 cannot run in
// this process; empty when it can (Root_linux.cpp: root; NetNs_win.cpp: never, namespaces are
// Linux's, and under Wine tests/win/wine-tests.sh runs the real components in its own chain).
std::string RootSkipReason();

#define VT_REQUIRE_ROOT()                                                                         \
    do {                                                                                          \
        if (const std::string reason = RootSkipReason(); !reason.empty()) GTEST_SKIP() << reason; \
    } while (0)
