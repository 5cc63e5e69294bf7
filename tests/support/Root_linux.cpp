#include <unistd.h>

#include "Root.h"

std::string RootSkipReason() {
    if (::geteuid() == 0) return {};
    return "needs root (network namespaces, raw sockets, port 514); run ./test.sh as root to "
           "include it";
}
