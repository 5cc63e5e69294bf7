#include <winsock2.h>

#include "netcomp/syslog/SocketBuffer.h"

int EnlargeReceiveBuffer(long long socketDescriptor, int bytes) {
    const SOCKET s = static_cast<SOCKET>(socketDescriptor);
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
    int actual = 0;
    int length = sizeof actual;
    if (::getsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&actual), &length) != 0)
        return -1;
    return actual;
}
