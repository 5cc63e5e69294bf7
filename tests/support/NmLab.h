#pragma once

// A namespace run by a NetworkManager of its own, for tests of the real adapter backends.
// NetworkManager runs inside a network namespace and a mount namespace of its own, on a private
// system bus (its own dbus-daemon, own socket), with a keyfile-only configuration, its state and
// run directories on tmpfs and a read-only /sys (so it does not wait for udev). It manages only
// the veths named vtnm* (kIface, and those addAdapter makes), whose other ends sit in a second
// namespace with dnsmasq as DHCP server. kIface has interface index kIfaceIndex, so a link made
// with a lower index lists before it.
// The code under test finds the private bus through DBUS_SYSTEM_BUS_ADDRESS, which the lab sets
// for its lifetime. Nothing here uses the machine's own bus, resolver file or links.

#include <memory>
#include <string>

#include "tests/support/NetNs.h"

class NmLab {
  public:
    static constexpr const char* kIface = "vtnm0";
    static constexpr const char* kServer = "10.77.0.1";  // DHCP server, router and DNS
    static constexpr const char* kPool = "10.77.0.";     // leases come from .50 to .99
    static constexpr int kIfaceIndex = 50;

    // withProfile: also adds a DHCP profile for kIface and waits for its first lease.
    // extraAdapters: that many more managed veths, vtnm1, vtnm2, ..., without profiles.
    explicit NmLab(bool withProfile = true, int extraAdapters = 0);
    ~NmLab();
    NmLab(const NmLab&) = delete;
    NmLab& operator=(const NmLab&) = delete;

    const NetNs& ns() const { return *m_ns; }
    std::string busAddress() const { return "unix:path=" + m_dir + "/bus"; }
    // Runs nmcli against the lab's NetworkManager; returns its output.
    std::string nmcli(const std::string& args) const;
    // What dnsmasq logged so far (DHCPDISCOVER, DHCPACK, ...).
    std::string dhcpLog() const;
    // Ends NetworkManager; the bus stays.
    void stopNetworkManager();
    // Ends dnsmasq: no DHCP server answers from then on.
    void stopDhcpServer();
    // A veth in the lab's namespace with the given interface index (0: the kernel's choice) whose
    // other end sits with the DHCP server. Made after NetworkManager started, it stays unmanaged.
    void addAdapter(const std::string& name, int index = 0) const;

    // Records every message on the lab's bus from now on (dbus-monitor).
    void startBusMonitor();
    // Method calls seen since startBusMonitor; with member given, only calls of that method.
    // Calls NetworkManager itself makes (to check its callers) are not counted.
    int busCalls(const std::string& member = {}) const;

  private:
    void start(bool withProfile, int extraAdapters);
    void stop();
    int busMark() const;
    void waitFor(const std::string& what, const std::string& cmd, const std::string& expect);

    std::string m_dir;
    std::unique_ptr<NetNs> m_peer;
    std::unique_ptr<NetNs> m_ns;
    std::string m_savedBus;
    bool m_hadBus = false;
    bool m_setBus = false;
    std::string m_nmOwner;  // NetworkManager's unique name on the bus
    int m_monitorFrom = 0;  // lines of the bus log before the count starts
};
