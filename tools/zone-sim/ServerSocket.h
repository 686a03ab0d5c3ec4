#pragma once

#include "transport/Packet.h"

#include <cstdint>
#include <string>

// Where a datagram came from: IPv4 address and port, both in host order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;

    bool operator<(const Endpoint& other) const
    {
        return address != other.address ? address < other.address : port < other.port;
    }
    bool operator==(const Endpoint& other) const { return address == other.address && port == other.port; }
    std::string ToString() const;
};

// The simulator's unconnected UDP socket, bound to one local address. Never blocks
// except in Wait, which the executable uses to sleep between polls.
class ServerSocket {
public:
    // Larger than any datagram a client may send, so an oversized one is seen whole.
    static constexpr uint32_t kReceiveBuffer = 2048;

    ServerSocket() = default;
    ~ServerSocket();
    ServerSocket(const ServerSocket&) = delete;
    ServerSocket& operator=(const ServerSocket&) = delete;

    // Port 0 lets the system choose a free port; Port() tells which.
    bool Bind(const std::string& host, uint16_t port);
    bool IsOpen() const { return handle_ >= 0; }
    uint16_t Port() const { return port_; }

    // One waiting datagram, if any.
    bool ReceiveFrom(Packet& packet, Endpoint& from);
    void SendTo(const Packet& packet, const Endpoint& to);
    // True when a datagram is waiting within the time-out.
    bool Wait(int timeoutMs);

private:
    intptr_t handle_ = -1; // a file descriptor, or a Winsock SOCKET
    uint16_t port_ = 0;
};
