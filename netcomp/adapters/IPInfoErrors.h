#pragma once

// Codes of EncIPInfo raised by the adapter-information component and its services, apart from the
// ping and trace codes (110xx) so that a code names one failure. The Windows DHCP service passes
// the system's own error numbers.
namespace ipinfo_error {
constexpr int kNoAdapterSelected = 12001;
constexpr int kNotSupported = 12002;
constexpr int kQueryFailed = 12003;
constexpr int kNetworkManagerFailed = 12010;
constexpr int kDhcpNotEnabled = 12011;
}  // namespace ipinfo_error
