#include <unistd.h>

#include <cstdlib>

#include "tests/support/Root.h"

std::string RootSkipReason() {
    // VT_UNPRIVILEGED=1 skips them as root too: the sanitizer run covers the unprivileged tests.
    if (::geteuid() == 0 && !std::getenv("VT_UNPRIVILEGED")) return {};
    return "needs root (network namespaces, raw sockets, port 514); run ./test.sh as root to "
           "include it";
}
