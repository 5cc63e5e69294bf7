#pragma once

// Qt-free view of the machine's network adapters, one backend per OS
// (AdapterQuery_linux.cpp: netlink/getifaddrs; AdapterQuery_win.cpp: IP Helper).

#include <string>
#include <vector>

struct AdapterRecord {
    std::string description;      // UTF-8, as the OS reports it
    std::string ipAddress;        // dotted quad or empty
    std::string subnetMask;       // dotted quad or empty
    std::string gateway;          // dotted quad or empty
    std::string dnsServers;       // dotted quads separated by single blanks
    std::string dhcpServer;       // shown unchanged
    std::string leaseExpires;     // shown unchanged
    std::string physicalAddress;  // "00-1A-2B-3C-4D-5E", or empty
    std::string type;             // shown unchanged ("Ethernet", "Loopback", ...)
    bool dhcpEnabled = false;
    std::string osName;    // the OS's own name: interface name, or the adapter GUID on Windows
    unsigned osIndex = 0;  // the OS interface index
};

struct AdapterQueryResult {
    std::vector<AdapterRecord> adapters;  // fixed order: ascending OS interface index
    int errorCode = 0;                    // 0 on success
    std::string error;                    // readable reason when errorCode != 0
};

AdapterQueryResult QueryAdapters();
