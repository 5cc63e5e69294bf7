#pragma once

// Qt-free: enlarges a socket's receive buffer beyond the system's ordinary cap where the process
// may (Linux: SO_RCVBUFFORCE for privileged processes, else SO_RCVBUF up to rmem_max).
// Returns the size the system reports afterwards, or -1.
int EnlargeReceiveBuffer(long long socketDescriptor, int bytes);
