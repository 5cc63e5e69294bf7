#pragma once

// Windows backend only (IcmpReplyBuffer_win.cpp, used by IcmpProbe_win.cpp): what an ended
// request's reply buffer, as the IP Helper echo API wrote it, says. Apart from the API so tests
// feed it buffers laid out as Windows writes them.

#include <string>

#include "netcomp/icmp/IcmpProbe.h"

namespace icmp {

// reply: the start of the buffer (ICMP_ECHO_REPLY, or ICMPV6_ECHO_REPLY when v6); parsed: what
// Icmp(6)ParseReplies returned for it; lastError: GetLastError() after that, the status when it
// parsed none. The answering address is read for every remote answer, errors included: the IPv6
// parser counts only successes, yet the buffer names the router that reported.
EchoResult ReadEchoReply(const unsigned char* reply, bool v6, unsigned long parsed,
                         unsigned long lastError);

// A text for an IP_STATUS, or the system's for a Win32 error.
std::string IpStatusText(unsigned long status);

}  // namespace icmp
