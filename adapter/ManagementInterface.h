#pragma once

// The operating system's adapter management, in the adapter tool's terms: list the IP-enabled
// adapter configurations with their descriptions, give one a static address, mask, gateway and
// DNS pair, or switch one to DHCP with its DNS servers cleared. Each step reports its own
// outcome, so the tool can log what was done up to a refused step.
// Qt-free so the Windows backend (WMI over COM, set up inside the backend) builds on its own.
// Backends: ManagementInterface_linux.cpp (NetworkManager over D-Bus),
//           ManagementInterface_win.cpp (Win32_NetworkAdapterConfiguration).
// All texts are UTF-8.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A failure of the interface itself (cannot be reached, connection or query refused, a call
// that cannot be made); what() is the system's own message.
class ManagementError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The outcome of one configuring step.
struct StepResult {
    enum class Outcome {
        NotTried,       // an earlier step failed, or the adapter was not found
        Done,           // made
        RestartNeeded,  // made, takes effect after a restart (Windows code 1)
        Refused,        // not made: the interface said no (code and reason say why)
        Failed,         // not made: the interface itself failed (reason is its message)
    };
    Outcome outcome = Outcome::NotTried;
    // The interface's own return code, when it has codes (WMI: 0, 1, 64 ... 100).
    std::optional<std::uint32_t> code;
    // Why, in words: the documented meaning of the code, or the backend's own reason.
    std::string reason;

    bool done() const { return outcome == Outcome::Done; }
    bool made() const { return outcome == Outcome::Done || outcome == Outcome::RestartNeeded; }
    static StepResult Made(std::optional<std::uint32_t> code = std::nullopt) {
        return {Outcome::Done, code, {}};
    }
    static StepResult Refuse(std::string why, std::optional<std::uint32_t> code = std::nullopt) {
        return {Outcome::Refused, code, std::move(why)};
    }
    static StepResult Fail(std::string message) {
        return {Outcome::Failed, std::nullopt, std::move(message)};
    }
};

struct StaticAddressing {
    std::string address, mask, gateway, dns1, dns2;  // as typed, dotted quads expected
};

// The three steps of a static configuration, in the order they are made; a refused step ends
// the run, and the steps before it stay made.
struct StaticResult {
    std::string matched;  // description of the configuration acted on; empty when none matched
    StepResult address, gateway, dns;
};

// Back to DHCP: both steps are always tried on the matched configuration.
struct DhcpResult {
    std::string matched;
    StepResult dhcp, dns;
    // Set when the switch was made but the adapter has no address from DHCP yet: why, in words.
    std::string noLease;
};

// True when the configuration with this description is the one a name asks for: the name
// occurs in it (exact characters, case counts). An empty name matches nothing.
inline bool DescriptionMatches(const std::string& description, const std::string& name) {
    return !name.empty() && description.find(name) != std::string::npos;
}

class ManagementInterface {
  public:
    virtual ~ManagementInterface() = default;
    // The descriptions of the IP-enabled configurations, in the system's order.
    // Every call below throws ManagementError when the interface itself fails.
    virtual std::vector<std::string> IPEnabledDescriptions() = 0;
    // Configure the first IP-enabled configuration that DescriptionMatches the name; later ones
    // are not looked at.
    virtual StaticResult ApplyStatic(const std::string& name, const StaticAddressing& values) = 0;
    virtual DhcpResult SwitchToDhcp(const std::string& name) = 0;
};

// The real interface of this operating system.
std::unique_ptr<ManagementInterface> CreateManagementInterface();
