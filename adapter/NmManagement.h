#pragma once

// The NetworkManager backend of ManagementInterface.h with its waits given (Linux only):
// CreateManagementInterface() is this with the defaults.

#include "adapter/ManagementInterface.h"

struct NmWaits {
    int activationMs = 30000;  // bound on an activation reaching "activated" or failing
    int leaseMs = 15000;       // bound on the DHCP lease after the switch to DHCP
};

std::unique_ptr<ManagementInterface> CreateNetworkManagerManagement(NmWaits waits);
