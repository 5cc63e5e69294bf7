// Windows backend check: runs the Qt-free *_win.cpp backends on their own, one command per call,
// so tests/win/wine-check.sh can drive them under Wine inside a network namespace.
#include "WinCheck.h"

#include <cstdio>
#include <exception>
#include <map>

namespace {

using Command = int (*)(const Args&);

const std::map<std::string, Command>& Commands() {
    // clang-format off
    static const std::map<std::string, Command> commands = {
        {"codepage", CheckCodePage},
        {"adapters", ListAdapters},
        {"echo", Echo},
        {"trace", Trace},
        {"dhcp", Dhcp},
        {"wmi-list", ListConfigurations},
        {"wmi-static", ConfigureStatic},
        {"wmi-dhcp", ConfigureDhcp},
    };
    // clang-format on

    return commands;
}

int Usage() {
    std::fprintf(stderr, "usage: vt_wincheck <command> [args]; commands:");
    for (const auto& [name, _] : Commands()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const auto it = Commands().find(argv[1]);
    if (it == Commands().end()) return Usage();
    try {
        const int rc = it->second(Args(argv + 2, argv + argc));
        std::fflush(stdout);
        return rc;
    } catch (const std::exception& e) {
        std::printf("exception: %s\n", e.what());
        return 3;
    }
}
