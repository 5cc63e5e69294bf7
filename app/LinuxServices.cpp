// Linux: every TncIPInfo the program creates takes the DHCP state (enabled, server, lease expiry,
// DNS servers) and the lease actions from NetworkManager where it manages the adapter. Installed
// during static initialisation, before main() creates the first component.
#include <memory>

#include "netcomp/adapters/NmAdapterService.h"

namespace {

const bool installed = [] {
    SetDefaultAdapterService(std::make_shared<NmAdapterService>());
    return true;
}();

}  // namespace
