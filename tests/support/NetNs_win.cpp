// Windows builds of the tests: the namespace helpers exist so the test programs build, but every
// test that needs them skips with the reason (Wine runs in a namespace chain made outside it).
#include <stdexcept>

#include "tests/support/NetNs.h"
#include "tests/support/RouteChain.h"

namespace {
[[noreturn]] void NoNamespaces() {
    throw std::runtime_error("network namespaces are Linux's");
}
}  // namespace

int Sh(const std::string&, bool) {
    NoNamespaces();
}
std::string ShOut(const std::string&) {
    NoNamespaces();
}
NetNs::NetNs(const std::string&) {
    NoNamespaces();
}
NetNs::~NetNs() = default;
int NetNs::exec(const std::string&, bool) const {
    NoNamespaces();
}
std::string NetNs::out(const std::string&) const {
    NoNamespaces();
}
void NetNs::spawn(const std::string&) const {
    NoNamespaces();
}
void NetNs::setResolvConf(const std::string&) const {
    NoNamespaces();
}
NsEnter::NsEnter(const NetNs&) {
    NoNamespaces();
}
NsEnter::~NsEnter() = default;
void Link(const NetNs&, const std::string&, const std::string&, const NetNs&, const std::string&,
          const std::string&) {
    NoNamespaces();
}

struct DelayWire::Impl {};
DelayWire::DelayWire(int, const NetNs&, const std::string&, const NetNs&, const std::string&) {
    NoNamespaces();
}
DelayWire::~DelayWire() = default;
RouteChain::RouteChain(int, const std::map<int, int>&) {
    NoNamespaces();
}
RouteChain::~RouteChain() = default;
void RouteChain::silence(int) {
    NoNamespaces();
}
