#pragma once

#include "transport/Packet.h"

#include <cstdint>
#include <string>

// One connected UDP association. Production: UdpSocket; tests may script a fake.
class DatagramSocket {
public:
    static constexpr uint32_t kMaxDatagram = 520;

    virtual ~DatagramSocket() = default;
    // Looks the host up, takes its first IPv4 address and connects to host:port.
    // A new open replaces (and closes) the socket opened before.
    virtual bool Open(const std::string& host, uint16_t port) = 0;
    virtual void Send(const Packet& packet) = 0;
    // One datagram of at most kMaxDatagram bytes; returns its size, or 0 (packet
    // untouched) when the receive fails or the datagram was longer.
    virtual uint32_t Receive(Packet& packet) = 0;
    // A datagram (or an error) is waiting; never waits itself.
    virtual bool Readable() = 0;
};
