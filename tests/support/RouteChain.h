#pragma once

// A routed chain of network namespaces for reachability tests:
//
//   client --link 1-- r1 --link 2-- r2 ... rN --link N+1-- server
//
// Link k is the subnet 10.77.k.0/24 and fd77:k::/64: its left end has .1 and fd77:k::1, its
// right end .2 and fd77:k::2. Routers forward both families; everyone has routes to every subnet,
// so hop i answers from 10.77.i.2 and fd77:i::2. Any link can delay each
// frame by a fixed time in both directions: these kernels have no netem, so the link is then a
// pair of TAP devices joined by DelayWire, a user-space layer-2 forwarder (it adds no hop).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/NetNs.h"

// Copies Ethernet frames between two TAP devices after a fixed delay, each way. The devices are
// created in their own "wire" namespace and then moved to the namespaces they join.
class DelayWire {
  public:
    DelayWire(int delayMs, const NetNs& left, const std::string& leftIf, const NetNs& right,
              const std::string& rightIf);
    ~DelayWire();
    DelayWire(const DelayWire&) = delete;
    DelayWire& operator=(const DelayWire&) = delete;

  private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

class RouteChain {
  public:
    // routers: how many routers between client and server (0: a direct link);
    // delayMs: link number -> one-way delay of that link in milliseconds.
    explicit RouteChain(int routers, const std::map<int, int>& delayMs = {});
    ~RouteChain();

    NetNs& client() { return *m_nodes.front(); }
    NetNs& server() { return *m_nodes.back(); }
    NetNs& router(int i) { return *m_nodes.at(std::size_t(i)); }  // 1..routers
    int routers() const { return int(m_nodes.size()) - 2; }

    // Addresses in host byte order and as text.
    static std::uint32_t linkAddress(int link, int end);  // end 1: left, 2: right
    static std::string text(std::uint32_t address);
    std::uint32_t clientAddress() const { return linkAddress(1, 1); }
    std::uint32_t serverAddress() const { return linkAddress(routers() + 1, 2); }
    std::uint32_t hopAddress(int i) const { return linkAddress(i, 2); }  // router i, or server
    // The same over IPv6, as text ("fd77:1::2").
    static std::string linkAddress6(int link, int end);
    std::string serverAddress6() const { return linkAddress6(routers() + 1, 2); }
    std::string hopAddress6(int i) const { return linkAddress6(i, 2); }

    // Router i stops answering with ICMP and ICMPv6 errors (time exceeded, unreachable): a
    // silent hop.
    void silence(int i);

  private:
    std::vector<std::unique_ptr<NetNs>> m_nodes;
    std::vector<std::unique_ptr<DelayWire>> m_wires;
};
