#include "tests/support/NmLab.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

void write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

std::string busConfig(const std::string& dir) {
    return R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=)" +
           dir + R"(/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";
}

std::string nmConfig(const std::string& dir) {
    return "[main]\n"
           "plugins=keyfile\n"
           "dns=none\n"
           "rc-manager=unmanaged\n"
           "hostname-mode=none\n"
           "no-auto-default=*\n"
           "auth-polkit=false\n"
           "dhcp=internal\n"
           "systemd-resolved=false\n"
           "[keyfile]\n"
           "path=" +
           dir + "/profiles\n" + "unmanaged-devices=except:interface-name:vtnm*" +
           "\n"
           "[connectivity]\n"
           "enabled=false\n"
           "[logging]\n"
           "level=INFO\n";
}

}  // namespace

NmLab::NmLab(bool withProfile, int extraAdapters) {
    try {
        start(withProfile, extraAdapters);
    } catch (...) {
        stop();
        throw;
    }
}

void NmLab::start(bool withProfile, int extraAdapters) {
    char tmpl[] = "/tmp/vt-adapter-nm.XXXXXX";
    if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    m_dir = tmpl;
    Sh("mkdir -p " + m_dir + "/profiles " + m_dir + "/conf.d " + m_dir + "/sysconf.d");
    write(m_dir + "/bus.conf", busConfig(m_dir));
    write(m_dir + "/nm.conf", nmConfig(m_dir));

    // Their own resolver files first, before anything runs inside.
    m_peer = std::make_unique<NetNs>("adapter");
    m_peer->setResolvConf("nameserver 127.0.0.1\n");
    m_ns = std::make_unique<NetNs>("adapter");
    m_ns->setResolvConf("nameserver 127.0.0.1\n");
    Sh("ip -n " + m_ns->name() + " link add " + kIface + " index " + std::to_string(kIfaceIndex) +
       " type veth peer name vtdh0 netns " + m_peer->name());
    // A bridge at the server's end, so further adapters can join its network.
    m_peer->exec(std::string("ip link add vtbr0 type bridge && ip link set vtdh0 master vtbr0 && "
                             "ip addr add ") +
                 kServer + "/24 dev vtbr0 && ip link set vtbr0 up && ip link set vtdh0 up");
    m_peer->spawn(
        "echo $$ > " + m_dir +
        "/dnsmasq.pid && exec dnsmasq --no-daemon --conf-file=/dev/null --port=0 --user=root"
        " --interface=vtbr0 --bind-interfaces --dhcp-authoritative"
        " --dhcp-range=10.77.0.50,10.77.0.99,255.255.255.0,2m"
        " --dhcp-option=3," +
        std::string(kServer) + " --dhcp-option=6," + kServer + " --dhcp-leasefile=" + m_dir +
        "/leases --log-dhcp > " + m_dir + "/dnsmasq.log 2>&1");

    // NetworkManager takes on only the links there are when it starts (no udev here).
    for (int i = 1; i <= extraAdapters; ++i) addAdapter("vtnm" + std::to_string(i));

    m_ns->spawn("exec dbus-daemon --config-file=" + m_dir + "/bus.conf --nofork --nopidfile > " +
                m_dir + "/dbus.log 2>&1");
    waitFor("the private bus", "test -S " + m_dir + "/bus && echo up", "up");

    // Own mount namespace: tmpfs over /run and NetworkManager's state, /sys read-only.
    // The shell records its pid, which NetworkManager keeps through the execs.
    m_ns->spawn(
        "echo $$ > " + m_dir +
        "/nm.pid && exec unshare -m --propagation private sh -c \"mount -t tmpfs tmpfs /run &&"
        " mount -t tmpfs tmpfs /var/lib/NetworkManager && mount -o remount,ro /sys &&"
        " exec env DBUS_SYSTEM_BUS_ADDRESS=" +
        busAddress() + " NetworkManager --debug --config=" + m_dir +
        "/nm.conf --config-dir=" + m_dir + "/conf.d --system-config-dir=" + m_dir +
        "/sysconf.d --intern-config=" + m_dir + "/intern.conf --state-file=" + m_dir +
        "/state --pid-file=" + m_dir + "/nm.run.pid\" > " + m_dir + "/nm.log 2>&1");

    const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    m_hadBus = old != nullptr;
    if (old) m_savedBus = old;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress().c_str(), 1);
    m_setBus = true;

    waitFor("NetworkManager to manage " + std::string(kIface),
            "nmcli -t -f DEVICE,STATE dev 2>/dev/null | grep ^vtnm | grep -v unmanaged | grep -c .",
            std::to_string(1 + extraAdapters));
    if (withProfile) {
        nmcli(std::string("con add type ethernet ifname ") + kIface + " con-name " + kIface +
              " ipv4.method auto ipv6.method disabled");
        nmcli(std::string("--wait 30 con up ") + kIface);
    }
}

NmLab::~NmLab() {
    stop();
}

void NmLab::stop() {
    if (m_setBus && m_hadBus)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", m_savedBus.c_str(), 1);
    else if (m_setBus)
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    m_ns.reset();
    m_peer.reset();
    if (!m_dir.empty()) Sh("rm -rf " + m_dir, false);
}

std::string NmLab::nmcli(const std::string& args) const {
    return ShOut("DBUS_SYSTEM_BUS_ADDRESS=" + busAddress() + " nmcli " + args + " 2>&1");
}

std::string NmLab::dhcpLog() const {
    return ShOut("cat " + m_dir + "/dnsmasq.log");
}

void NmLab::stopNetworkManager() {
    Sh("kill $(cat " + m_dir + "/nm.pid)", false);
    waitFor("NetworkManager to end", "kill -0 $(cat " + m_dir + "/nm.pid) 2>/dev/null || echo gone",
            "gone");
}

void NmLab::stopDhcpServer() {
    Sh("kill $(cat " + m_dir + "/dnsmasq.pid)", false);
    waitFor("dnsmasq to end", "kill -0 $(cat " + m_dir + "/dnsmasq.pid) 2>/dev/null || echo gone",
            "gone");
}

void NmLab::addAdapter(const std::string& name, int index) const {
    static int n = 0;
    const std::string peer = "vtpe" + std::to_string(n++);
    Sh("ip -n " + m_ns->name() + " link add " + name +
       (index ? " index " + std::to_string(index) : std::string()) + " type veth peer name " +
       peer + " netns " + m_peer->name());
    m_peer->exec("ip link set " + peer + " master vtbr0 && ip link set " + peer + " up");
}

void NmLab::startBusMonitor() {
    if (m_nmOwner.empty()) {
        m_ns->spawn("exec dbus-monitor --address " + busAddress() + " > " + m_dir +
                    "/bus.log 2>&1");
        waitFor("the bus monitor", "grep -c 'member=NameLost' " + m_dir + "/bus.log 2>/dev/null",
                "1");
        m_nmOwner = ShOut("DBUS_SYSTEM_BUS_ADDRESS=" + busAddress() +
                          " dbus-send --system --print-reply=literal --dest=org.freedesktop.DBus"
                          " /org/freedesktop/DBus org.freedesktop.DBus.GetNameOwner"
                          " string:org.freedesktop.NetworkManager");
        while (!m_nmOwner.empty() && (m_nmOwner.back() == '\n' || m_nmOwner.back() == ' '))
            m_nmOwner.pop_back();
        while (!m_nmOwner.empty() && m_nmOwner.front() == ' ') m_nmOwner.erase(0, 1);
    }
    m_monitorFrom = busMark();
}

// Sends a marker call and waits until the monitor has logged it: everything before it is in the
// log then. Returns the log's line count.
int NmLab::busMark() const {
    const std::string count = "grep -c 'member=GetId$' " + m_dir + "/bus.log";
    const int before = std::stoi(ShOut(count + " || true"));
    Sh("DBUS_SYSTEM_BUS_ADDRESS=" + busAddress() +
       " dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus"
       " org.freedesktop.DBus.GetId > /dev/null");
    for (int i = 0; i < 200 && std::stoi(ShOut(count + " || true")) == before; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::stoi(ShOut("grep -c '' " + m_dir + "/bus.log"));
}

int NmLab::busCalls(const std::string& member) const {
    // Lines between the marks: method calls not sent by NetworkManager (which checks on its
    // callers), nor the marks and the look-up of NetworkManager's name.
    const int to = busMark();
    const std::string cmd =
        "sed -n '" + std::to_string(m_monitorFrom + 1) + "," + std::to_string(to) + "p' " + m_dir +
        "/bus.log | grep '^method call' | grep -v 'sender=" + m_nmOwner +
        " ' | grep -v 'member=GetNameOwner$' | grep -v 'member=GetId$'" +
        (member.empty() ? "" : " | grep 'member=" + member + "$'") + " | grep -c .";
    return std::stoi(ShOut(cmd + " || true"));
}

void NmLab::waitFor(const std::string& what, const std::string& cmd, const std::string& expect) {
    for (int i = 0; i < 300; ++i) {
        std::string out = ShOut(cmd);
        while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
        if (out == expect) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("timed out waiting for " + what + "\n" +
                             ShOut("tail -n 15 " + m_dir + "/*.log 2>&1"));
}
