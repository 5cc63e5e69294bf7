#pragma once

// Error numbers and texts for echo outcomes other than a reply, shared by ping and trace route.
// The numbers follow the IP Helper status codes technicians know from Windows tools.

#include <QString>

#include "netcomp/icmp/IcmpProbe.h"

namespace echo_status {
constexpr int kHostNotFound = 11001;
constexpr int kTimedOut = 11010;
constexpr int kTtlExpired = 11013;
constexpr int kGeneralFailure = 11050;
constexpr int kBadValue = 11007;  // a property value out of range ("bad option")
}  // namespace echo_status

struct EchoStatus {
    int code;
    QString description;
};

// Code and text for an outcome other than Reply.
EchoStatus DescribeEchoFailure(const icmp::EchoResult& result);
