// Windows: every TncIPInfo the program creates releases and renews leases through the IP Helper
// API. Installed during static initialisation, before main() creates the first component.
#include <memory>

#include "netcomp/adapters/DhcpLeaseService.h"

namespace {

const bool installed = [] {
    SetDefaultAdapterService(std::make_shared<DhcpLeaseService>());
    return true;
}();

}  // namespace
