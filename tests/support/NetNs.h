#pragma once

// Network namespaces for tests, so nothing a test sends can leave the machine.
// Each namespace is created with `ip netns add` under a unique name and removed (with every
// process still running in it) when the object goes away.

#include <string>

// Runs a shell command in the root namespace; throws std::runtime_error on a non-zero exit
// when check is true. Returns the exit status.
int Sh(const std::string& cmd, bool check = true);
// Runs a shell command and returns its standard output.
std::string ShOut(const std::string& cmd);

class NetNs {
  public:
    // tag: a short word naming the test area; the name becomes vt-<tag>-<pid>-<n>.
    explicit NetNs(const std::string& tag);
    ~NetNs();
    NetNs(const NetNs&) = delete;
    NetNs& operator=(const NetNs&) = delete;

    const std::string& name() const { return m_name; }
    // Runs cmd inside the namespace (`ip netns exec ... sh -c`); cmd must not hold single quotes.
    int exec(const std::string& cmd, bool check = true) const;
    std::string out(const std::string& cmd) const;
    // Starts cmd inside the namespace in the background; it is killed with the namespace.
    void spawn(const std::string& cmd) const;
    // The namespace's own resolver configuration (/etc/netns/<name>/resolv.conf, what
    // `ip netns exec` shows as /etc/resolv.conf); removed with the namespace.
    void setResolvConf(const std::string& contents) const;

  private:
    std::string m_name;
};

// Joins the calling thread to a namespace for the guard's lifetime: sockets opened meanwhile
// belong to that namespace, so real components can be tested in-process.
class NsEnter {
  public:
    explicit NsEnter(const NetNs& ns);
    ~NsEnter();
    NsEnter(const NsEnter&) = delete;
    NsEnter& operator=(const NsEnter&) = delete;

  private:
    int m_original = -1;
};

// Connects two namespaces with a veth pair; addresses in CIDR form ("10.9.0.1/24").
void Link(const NetNs& a, const std::string& ifA, const std::string& cidrA, const NetNs& b,
          const std::string& ifB, const std::string& cidrB);
