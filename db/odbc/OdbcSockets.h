#pragma once

#include <QtGlobal>
#include <vector>

namespace tw {

// The sockets a driver opened for one connection, found by comparing the
// process's open sockets before and after the driver connected. Drivers do
// not hand out their sockets; the program needs them to close a connection
// whose server has stopped answering, which the driver itself cannot do
// while it waits for the server. Empty where the platform does not list a
// process's descriptors.
std::vector<int> openSocketDescriptors();
std::vector<int> newClientSockets(const std::vector<int>& before);

// Bytes received on the sockets so far: it grows while the server sends.
quint64 bytesReceived(const std::vector<int>& sockets);

// Ends both directions of the sockets, so that a driver blocked in a read
// returns with a failure. The descriptors stay open: they are the driver's.
void shutdownSockets(const std::vector<int>& sockets);

} // namespace tw
