// Windows backend check: runs the Qt-free *_win.cpp backends on their own, one command per call,
// so tests/win/wine-check.sh can drive them under Wine inside a network namespace.
#include "tests/win/WinCheck.h"

#include <algorithm>
#include <chrono>
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
    std::fprintf(stderr, "usage: vt_wincheck <command> [args] [+ <command> [args]]...; commands:");
    for (const auto& [name, _] : Commands()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

int Run(const Args& words) {
    const auto it = Commands().find(words.front());
    if (it == Commands().end()) return Usage();
    try {
        return it->second(Args(words.begin() + 1, words.end()));
    } catch (const std::exception& e) {
        std::printf("exception: %s\n", e.what());
        return 3;
    }
}

}  // namespace

// Several commands in one run, separated by "+", each under a header line "== <command>":
// one Wine start instead of one per command.
int main(int argc, char** argv) {
    std::vector<Args> runs(1);
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "+")
            runs.emplace_back();
        else
            runs.back().push_back(argv[i]);
    }
    int worst = 0;
    for (const Args& words : runs) {
        if (words.empty()) return Usage();
        if (runs.size() > 1) {
            std::string line = "==";
            for (const auto& w : words) line += " " + w;
            std::printf("%s\n", line.c_str());
        }
        const auto start = std::chrono::steady_clock::now();
        worst = std::max(worst, Run(words));
        if (runs.size() > 1)
            std::printf("(%lld ms)\n", static_cast<long long>(
                                           std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - start)
                                               .count()));
        std::fflush(stdout);
    }
    return worst;
}
