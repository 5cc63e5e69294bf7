#include <sys/socket.h>

#include "netcomp/syslog/SocketBuffer.h"

int EnlargeReceiveBuffer(long long socketDescriptor, int bytes) {
    const int fd = static_cast<int>(socketDescriptor);
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    int actual = 0;
    socklen_t length = sizeof actual;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &actual, &length) != 0) return -1;
    return actual;
}
