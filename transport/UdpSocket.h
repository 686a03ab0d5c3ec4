#pragma once

#include "transport/DatagramSocket.h"

#include <cstdint>
#include <optional>
#include <string>

// A dotted quad needs no look-up.
bool IsNumericAddress(const std::string& host);
// The first IPv4 address of a host, as a dotted quad; nothing when it has none.
// It may wait long on a slow resolver: the client calls it off the GUI thread.
std::optional<std::string> LookUpAddress(const std::string& host);

// The UDP socket under the Connection. Each instance counts itself process-wide:
// the first one starts the socket library, the last one shuts it down (only
// Windows has anything to start).
class UdpSocket final : public DatagramSocket {
public:
    UdpSocket();
    ~UdpSocket() override;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool Open(const std::string& host, uint16_t port) override;
    void Send(const Packet& packet) override;
    uint32_t Receive(Packet& packet) override;
    bool Readable() override;

    bool IsOpen() const;
    // The local port after a successful open (for tests and diagnostics).
    uint16_t LocalPort() const;

    static int Instances();

private:
    void Close();

#ifdef _WIN32
    using Handle = uintptr_t;
#else
    using Handle = int;
#endif
    Handle handle_;
};
