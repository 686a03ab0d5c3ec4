#include "ServerSocket.h"

#include <cerrno>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using Length = int;
constexpr int kTruncated = 0; // Windows reports a cut datagram as WSAEMSGSIZE instead
void CloseHandle(intptr_t handle) { closesocket(SOCKET(handle)); }
bool NothingWaiting() { return WSAGetLastError() == WSAEWOULDBLOCK; }
bool MakeNonBlocking(intptr_t handle)
{
    u_long on = 1;
    return ioctlsocket(SOCKET(handle), FIONBIO, &on) == 0;
}
// Winsock is started once, for the whole run of the simulator.
struct Winsock {
    Winsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};
void StartSockets() { static Winsock started; }
#else
using Length = socklen_t;
constexpr int kTruncated = MSG_TRUNC;
void CloseHandle(intptr_t handle) { close(int(handle)); }
bool NothingWaiting() { return errno == EAGAIN || errno == EWOULDBLOCK; }
bool MakeNonBlocking(intptr_t handle)
{
    return fcntl(int(handle), F_SETFL, fcntl(int(handle), F_GETFL) | O_NONBLOCK) == 0;
}
void StartSockets() {}
#endif

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
        CloseHandle(handle_);
}

bool ServerSocket::Bind(const std::string& host, uint16_t port)
{
    StartSockets();
    if (handle_ >= 0) {
        CloseHandle(handle_);
        handle_ = -1;
    }
    in_addr hostAddress{};
    if (inet_pton(AF_INET, host.c_str(), &hostAddress) != 1)
        return false;
    const auto created = socket(AF_INET, SOCK_DGRAM, 0);
    const intptr_t handle = intptr_t(created);
    if (handle < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = hostAddress;
    address.sin_port = htons(port);
    Length length = sizeof(address);
    if (bind(created, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(created, reinterpret_cast<sockaddr*>(&address), &length) != 0 || !MakeNonBlocking(handle)) {
        CloseHandle(handle);
        return false;
    }
    // A burst of resends and big chunks should wait in the kernel, not be dropped there.
    const int bufferBytes = 1 << 20;
    const char* buffer = reinterpret_cast<const char*>(&bufferBytes);
    setsockopt(created, SOL_SOCKET, SO_RCVBUF, buffer, sizeof(bufferBytes));
    setsockopt(created, SOL_SOCKET, SO_SNDBUF, buffer, sizeof(bufferBytes));
    handle_ = handle;
    port_ = ntohs(address.sin_port);
    return true;
}

bool ServerSocket::ReceiveFrom(Packet& packet, Endpoint& from)
{
    if (handle_ < 0)
        return false;
    char buffer[kReceiveBuffer];
    sockaddr_in address{};
    // Errors such as a client's port reported unreachable are skipped, not fatal.
    for (int attempts = 0; attempts < 16; ++attempts) {
        Length length = sizeof(address);
        const auto got = recvfrom(handle_, buffer, int(sizeof(buffer)), kTruncated,
                                  reinterpret_cast<sockaddr*>(&address), &length);
        if (got < 0) {
            if (NothingWaiting())
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
    sendto(handle_, reinterpret_cast<const char*>(packet.Data()), int(packet.Size()), 0,
           reinterpret_cast<const sockaddr*>(&address), sizeof(address));
}

bool ServerSocket::Wait(int timeoutMs)
{
    if (handle_ < 0)
        return false;
#ifdef _WIN32
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(SOCKET(handle_), &readSet);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readSet, nullptr, nullptr, &timeout) > 0;
#else
    pollfd entry{int(handle_), POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
#endif
}
