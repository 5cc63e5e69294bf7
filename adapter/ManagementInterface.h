#pragma once

// The operating system's adapter management interface, as the adapter tool uses it: connect,
// walk the IP-enabled adapter configurations, read each description, and configure one.
// Qt-free so the Windows backend (WMI over COM) can be built and run on its own.
// Backends: ManagementInterface_linux.cpp (NetworkManager over D-Bus),
//           ManagementInterface_win.cpp (Win32_NetworkAdapterConfiguration).
// All texts are UTF-8.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A failure of the interface itself (cannot be reached, connection or query refused, a call
// that cannot be made); what() is the system's own message.
class ManagementError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One IP-enabled adapter configuration. The configuring calls return the interface's code:
// 0 for success, anything else for a refusal (the caller treats every non-zero code as failed).
class AdapterConfiguration {
  public:
    virtual ~AdapterConfiguration() = default;
    virtual std::string Description() = 0;
    // Fixed addresses with their masks (one mask per address, dotted quads).
    virtual std::uint32_t EnableStatic(const std::vector<std::string>& addresses,
                                       const std::vector<std::string>& masks) = 0;
    // Default gateways with their metrics (one metric per gateway).
    virtual std::uint32_t SetGateways(const std::vector<std::string>& gateways,
                                      const std::vector<std::uint16_t>& metrics) = 0;
    // DNS servers in search order; std::nullopt clears the list (back to what DHCP gives).
    virtual std::uint32_t SetDNSServerSearchOrder(
        const std::optional<std::vector<std::string>>& servers) = 0;
    // Back to an address from DHCP, the fixed values dropped.
    virtual std::uint32_t EnableDHCP() = 0;
    // Readable reason for the last non-zero code (empty after a success).
    virtual std::string LastError() { return {}; }
};

// Walks the result of the IP-enabled query one configuration at a time.
class ConfigurationEnumerator {
  public:
    virtual ~ConfigurationEnumerator() = default;
    // The next configuration, or nullptr when there is none.
    virtual std::unique_ptr<AdapterConfiguration> Next() = 0;
};

// A connection to the local machine's management service.
class ManagementConnection {
  public:
    virtual ~ManagementConnection() = default;
    // The configurations of the adapters that have IP enabled, in the system's order.
    virtual std::unique_ptr<ConfigurationEnumerator> QueryIPEnabled() = 0;
};

class ManagementInterface {
  public:
    virtual ~ManagementInterface() = default;
    // Prepares / releases the calling thread for the interface (COM on Windows); every
    // Initialize is paired with one Uninitialize; neither reports failure.
    virtual void Initialize() {}
    virtual void Uninitialize() {}
    // Connects to the local machine; throws ManagementError with the system's message.
    virtual std::unique_ptr<ManagementConnection> Connect() = 0;
};

// The real interface of this operating system.
std::unique_ptr<ManagementInterface> CreateManagementInterface();
