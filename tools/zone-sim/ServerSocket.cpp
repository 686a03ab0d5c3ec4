#include "ServerSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in ToAddress(const Endpoint& endpoint)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

} // namespace

std::string Endpoint::ToString() const
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF) + ":" + std::to_string(port);
}

ServerSocket::~ServerSocket()
{
    if (handle_ >= 0)
        close(handle_);
}

bool ServerSocket::Bind(const std::string& host, uint16_t port)
{
    if (handle_ >= 0) {
        close(handle_);
        handle_ = -1;
    }
    in_addr hostAddress{};
    if (inet_pton(AF_INET, host.c_str(), &hostAddress) != 1)
        return false;
    const int handle = socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = hostAddress;
    address.sin_port = htons(port);
    socklen_t length = sizeof(address);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) | O_NONBLOCK) != 0) {
        close(handle);
        return false;
    }
    // A burst of resends and big chunks should wait in the kernel, not be dropped there.
    const int bufferBytes = 1 << 20;
    setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof(bufferBytes));
    setsockopt(handle, SOL_SOCKET, SO_SNDBUF, &bufferBytes, sizeof(bufferBytes));
    handle_ = handle;
    port_ = ntohs(address.sin_port);
    return true;
}

bool ServerSocket::ReceiveFrom(Packet& packet, Endpoint& from)
{
    if (handle_ < 0)
        return false;
    uint8_t buffer[kReceiveBuffer];
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    // Errors such as a client's port reported unreachable are skipped, not fatal.
    for (int attempts = 0; attempts < 16; ++attempts) {
        const ssize_t got =
            recvfrom(handle_, buffer, sizeof(buffer), MSG_TRUNC, reinterpret_cast<sockaddr*>(&address), &length);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return false;
            continue;
        }
        from.address = ntohl(address.sin_addr.s_addr);
        from.port = ntohs(address.sin_port);
        // MSG_TRUNC reports the real length; keep what fits, the caller sees the size.
        const uint32_t kept = uint32_t(got) < kReceiveBuffer ? uint32_t(got) : kReceiveBuffer;
        packet.FillFromBytes(buffer, kept);
        return true;
    }
    return false;
}

void ServerSocket::SendTo(const Packet& packet, const Endpoint& to)
{
    if (handle_ < 0)
        return;
    const sockaddr_in address = ToAddress(to);
    sendto(handle_, packet.Data(), packet.Size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
}

bool ServerSocket::Wait(int timeoutMs)
{
    if (handle_ < 0)
        return false;
    pollfd entry{handle_, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}
