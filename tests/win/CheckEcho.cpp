// Echo requests and a trace through the ICMP prober, printing each outcome.
#include <cstdio>
#include <set>
#include <string>

#include "netcomp/icmp/IcmpProbe.h"
#include "tests/netcomp/TestAddress.h"
#include "tests/win/WinCheck.h"

using namespace icmp;

namespace {

std::string Describe(const EchoResult& r) {
    switch (r.outcome) {
        case Outcome::Reply:
            return "reply from " + FormatAddress(r.from);
        case Outcome::TimeExceeded:
            return "time exceeded from " + FormatAddress(r.from);
        case Outcome::Unreachable:
            return "unreachable code " + std::to_string(r.icmpCode) + " from " +
                   FormatAddress(r.from);
        case Outcome::TimedOut:
            return "timed out";
        case Outcome::Failed:
            return "failed " + std::to_string(r.errorCode) + ": " + r.detail;
    }
    return "?";
}

// Waits for every request in flight, printing each result; returns them.
std::vector<EchoResult> Drain(IcmpProbe& probe, int limitMs) {
    std::vector<EchoResult> all;
    while (probe.inFlight() > 0) {
        const auto ended = probe.wait(limitMs);
        if (ended.empty()) {
            std::printf("nothing ended within %d ms\n", limitMs);
            break;
        }
        for (const auto& r : ended) {
            std::printf("id %llu: %s rtt %.0f ms\n", static_cast<unsigned long long>(r.id),
                        Describe(r).c_str(), r.rttMs);
            all.push_back(r);
        }
    }
    return all;
}

// Argument i as a number; absent or "-" gives the default.
int Number(const Args& a, size_t i, int byDefault) {
    return a.size() > i && a[i] != "-" ? std::stoi(a[i]) : byDefault;
}

}  // namespace

// args: destination [source [ttl [timeoutMs [dataSize [count]]]]] ("-": default); count
// requests at once. Addresses are dotted quads or IPv6 literals ("%<index>" for a zone); without
// a source the prober speaks the destination's family.
int Echo(const Args& a) {
    if (a.empty()) {
        std::printf("usage: echo destination [source [ttl [timeoutMs [dataSize [count]]]]]\n");
        return 2;
    }
    EchoRequest request;
    request.destination = Ip(a[0]);
    const Address source = a.size() > 1 && a[1] != "-" ? Ip(a[1])
                           : request.destination.v6    ? Address::AnyIPv6()
                                                       : Address();
    request.ttl = Number(a, 2, request.ttl);
    request.timeoutMs = Number(a, 3, request.timeoutMs);
    request.dataSize = Number(a, 4, request.dataSize);
    const int count = Number(a, 5, 1);
    try {
        auto probe = OpenIcmpProbe(source);
        std::set<std::uint64_t> ids;
        for (int i = 0; i < count; ++i) ids.insert(probe->send(request));
        std::printf("sent %d, distinct ids %zu, in flight %zu\n", count, ids.size(),
                    probe->inFlight());
        const auto results = Drain(*probe, request.timeoutMs + 3000);
        std::printf("ended %zu of %d\n", results.size(), count);
    } catch (const ProbeError& e) {
        std::printf("probe error %d: %s\n", e.code, e.what());
        return 1;
    }
    return 0;
}

// args: destination [maxHops]; one probe per TTL, as the trace route component sends them.
int Trace(const Args& a) {
    if (a.empty()) {
        std::printf("usage: trace destination [maxHops]\n");
        return 2;
    }
    const Address destination = Ip(a[0]);
    const int maxHops = Number(a, 1, 8);
    try {
        auto probe = OpenIcmpProbe(destination.v6 ? Address::AnyIPv6() : Address());
        for (int ttl = 1; ttl <= maxHops; ++ttl) {
            EchoRequest request;
            request.destination = destination;
            request.ttl = ttl;
            request.timeoutMs = 2000;
            probe->send(request);
            const auto ended = probe->wait(request.timeoutMs + 3000);
            const std::string hop = ended.empty() ? "nothing" : Describe(ended.front());
            std::printf("hop %d: %s\n", ttl, hop.c_str());
            if (!ended.empty() && ended.front().outcome == Outcome::Reply) return 0;
            if (ended.empty()) probe->cancelAll();
        }
    } catch (const ProbeError& e) {
        std::printf("probe error %d: %s\n", e.code, e.what());
    }
    return 1;
}
