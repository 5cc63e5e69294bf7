#include "tests/support/NetNs.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <stdexcept>

int Sh(const std::string& cmd, bool check) {
    const int rc = std::system(cmd.c_str());
    const int status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    if (check && status != 0)
        throw std::runtime_error("command failed (" + std::to_string(status) + "): " + cmd);
    return status;
}

std::string ShOut(const std::string& cmd) {
    std::string result;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) throw std::runtime_error("popen failed: " + cmd);
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) result.append(buf.data(), n);
    ::pclose(p);
    return result;
}

NetNs::NetNs(const std::string& tag) {
    static std::atomic<int> counter{0};
    m_name = "vt-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    Sh("ip netns add " + m_name);
    exec("ip link set lo up");
}

NetNs::~NetNs() {
    // Kill whatever still runs inside, then remove the namespace.
    Sh("ip netns pids " + m_name + " 2>/dev/null | xargs -r kill -9 2>/dev/null", false);
    Sh("ip netns del " + m_name + " 2>/dev/null", false);
    Sh("rm -rf /etc/netns/" + m_name, false);
}

int NetNs::exec(const std::string& cmd, bool check) const {
    return Sh("ip netns exec " + m_name + " sh -c '" + cmd + "'", check);
}

std::string NetNs::out(const std::string& cmd) const {
    return ShOut("ip netns exec " + m_name + " sh -c '" + cmd + "'");
}

void NetNs::spawn(const std::string& cmd) const {
    Sh("ip netns exec " + m_name + " sh -c '" + cmd + "' >/dev/null 2>&1 &");
}

void NetNs::setResolvConf(const std::string& contents) const {
    Sh("mkdir -p /etc/netns/" + m_name);
    std::ofstream("/etc/netns/" + m_name + "/resolv.conf") << contents;
}

NsEnter::NsEnter(const NetNs& ns) {
    m_original = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const std::string path = "/run/netns/" + ns.name();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_original < 0 || fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("cannot enter namespace " + ns.name());
    }
    ::close(fd);
}

NsEnter::~NsEnter() {
    if (m_original >= 0) {
        ::setns(m_original, CLONE_NEWNET);
        ::close(m_original);
    }
}

void Link(const NetNs& a, const std::string& ifA, const std::string& cidrA, const NetNs& b,
          const std::string& ifB, const std::string& cidrB) {
    Sh("ip -n " + a.name() + " link add " + ifA + " type veth peer name " + ifB + " netns " +
       b.name());
    a.exec("ip addr add " + cidrA + " dev " + ifA + " && ip link set " + ifA + " up");
    b.exec("ip addr add " + cidrB + " dev " + ifB + " && ip link set " + ifB + " up");
}
