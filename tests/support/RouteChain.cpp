#include "tests/support/RouteChain.h"

#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <thread>

// ---- DelayWire ----

struct DelayWire::Impl {
    using Clock = std::chrono::steady_clock;
    struct Frame {
        Clock::time_point due;
        std::vector<char> bytes;
    };

    std::chrono::microseconds delay;
    int tap[2] = {-1, -1};
    int stop = -1;
    std::deque<Frame>
        queue[2];  // queue[i]: frames read from tap[i], due to be written to the other
    std::thread thread;

    static int OpenTap(const std::string& name) {
        const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) throw std::runtime_error("cannot open /dev/net/tun");
        ifreq ifr{};
        ifr.ifr_flags = IFF_TAP | IFF_NO_PI;
        std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
        if (::ioctl(fd, TUNSETIFF, &ifr) != 0) {
            ::close(fd);
            throw std::runtime_error("cannot create TAP device " + name);
        }
        return fd;
    }

    void run() {
        std::array<char, 65536> buf;
        for (;;) {
            int timeoutMs = -1;
            const auto now = Clock::now();
            for (auto& q : queue)
                if (!q.empty()) {
                    const auto wait =
                        std::chrono::ceil<std::chrono::microseconds>(q.front().due - now);
                    const int ms = wait.count() <= 0 ? 0 : int((wait.count() + 999) / 1000);
                    timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
                }
            // Sleep to within a millisecond with poll, then spin the rest for an exact delay.
            pollfd fds[3] = {{tap[0], POLLIN, 0}, {tap[1], POLLIN, 0}, {stop, POLLIN, 0}};
            ::poll(fds, 3, timeoutMs > 1 ? timeoutMs - 1 : (timeoutMs < 0 ? -1 : 0));
            if (fds[2].revents) return;
            for (int i = 0; i < 2; ++i) {
                for (;;) {
                    const ssize_t n = ::read(tap[i], buf.data(), buf.size());
                    if (n <= 0) break;
                    queue[i].push_back({Clock::now() + delay, {buf.data(), buf.data() + n}});
                }
            }
            for (int i = 0; i < 2; ++i) {
                while (!queue[i].empty() &&
                       queue[i].front().due <= Clock::now() + std::chrono::microseconds(50)) {
                    while (Clock::now() < queue[i].front().due) {
                    }
                    const auto& f = queue[i].front().bytes;
                    (void)!::write(tap[1 - i], f.data(), f.size());
                    queue[i].pop_front();
                }
            }
        }
    }
};

DelayWire::DelayWire(int delayMs, const NetNs& left, const std::string& leftIf, const NetNs& right,
                     const std::string& rightIf)
    : m(std::make_unique<Impl>()) {
    m->delay = std::chrono::milliseconds(delayMs);
    NetNs wire("reach");  // the TAP devices are born here, then joined to their neighbours
    {
        NsEnter in(wire);
        m->tap[0] = Impl::OpenTap(leftIf);
        m->tap[1] = Impl::OpenTap(rightIf);
    }
    Sh("ip -n " + wire.name() + " link set " + leftIf + " netns " + left.name());
    Sh("ip -n " + wire.name() + " link set " + rightIf + " netns " + right.name());
    m->stop = ::eventfd(0, EFD_CLOEXEC);
    m->thread = std::thread([impl = m.get()] { impl->run(); });
}

DelayWire::~DelayWire() {
    const std::uint64_t one = 1;
    (void)!::write(m->stop, &one, sizeof one);
    m->thread.join();
    for (int fd : {m->tap[0], m->tap[1], m->stop}) ::close(fd);  // the TAP devices go with them
}

// ---- RouteChain ----

RouteChain::RouteChain(int routers, const std::map<int, int>& delayMs) {
    const int nodes = routers + 2;
    for (int i = 0; i < nodes; ++i) {
        m_nodes.push_back(std::make_unique<NetNs>("reach"));
        // No duplicate address detection: IPv6 addresses, link-local ones too, work at once.
        m_nodes.back()->exec(
            "sysctl -qw net.ipv6.conf.default.accept_dad=0 net.ipv6.conf.all.accept_dad=0");
    }
    for (int link = 1; link < nodes; ++link) {
        NetNs& left = *m_nodes[std::size_t(link - 1)];
        NetNs& right = *m_nodes[std::size_t(link)];
        const std::string name = std::string(1, 'l').append(std::to_string(link));
        const std::string l = name + 'a', r = name + 'b';
        const std::string la = text(linkAddress(link, 1)) + "/24";
        const std::string ra = text(linkAddress(link, 2)) + "/24";
        if (auto d = delayMs.find(link); d != delayMs.end() && d->second > 0) {
            m_wires.push_back(std::make_unique<DelayWire>(d->second, left, l, right, r));
            left.exec("ip addr add " + la + " dev " + l + " && ip link set " + l + " up");
            right.exec("ip addr add " + ra + " dev " + r + " && ip link set " + r + " up");
        } else {
            Link(left, l, la, right, r, ra);
        }
        left.exec("ip -6 addr add " + linkAddress6(link, 1) + "/64 dev " + l + " nodad");
        right.exec("ip -6 addr add " + linkAddress6(link, 2) + "/64 dev " + r + " nodad");
    }
    // Node n (0 = client) reaches links left of it through its left neighbour and links right
    // of it through its right neighbour.
    for (int n = 0; n < nodes; ++n) {
        NetNs& ns = *m_nodes[std::size_t(n)];
        // ICMPv6 errors are rate-limited to one a second by default: traces follow each other.
        std::string setup = "sysctl -qw net.ipv6.icmp.ratelimit=0";
        if (n > 0 && n < nodes - 1)
            setup += " net.ipv4.ip_forward=1 net.ipv6.conf.all.forwarding=1";
        for (int link = 1; link < nodes; ++link) {
            if (link == n || link == n + 1) continue;  // directly connected
            const bool left = link < n;
            const std::uint32_t via = left ? linkAddress(n, 1) : linkAddress(n + 1, 2);
            const std::string via6 = left ? linkAddress6(n, 1) : linkAddress6(n + 1, 2);
            setup += " && ip route add " + text(linkAddress(link, 0)) + "/24 via " + text(via) +
                     " && ip -6 route add fd77:" + std::to_string(link) + "::/64 via " + via6;
        }
        ns.exec(setup);
    }
}

RouteChain::~RouteChain() {
    m_wires.clear();  // before the namespaces their devices live in
}

void RouteChain::silence(int i) {
    router(i).exec(
        "nft add table ip silent && "
        "nft add chain ip silent out { type filter hook output priority 0 \\; } && "
        "nft add rule ip silent out icmp type { time-exceeded, destination-unreachable } drop && "
        "nft add table ip6 silent && "
        "nft add chain ip6 silent out { type filter hook output priority 0 \\; } && "
        "nft add rule ip6 silent out icmpv6 type { time-exceeded, destination-unreachable } drop");
}
