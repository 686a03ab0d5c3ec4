#include "transport/UdpSocket.h"

#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const uintptr_t kNoSocket = uintptr_t(INVALID_SOCKET);
#else
constexpr int kNoSocket = -1;
#endif

// Process-wide: the first socket object starts the socket library, the last one stops it.
int instanceCount = 0;
bool libraryStarted = false;

void StartLibrary()
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data); // the result is not needed: a failed start shows as a failed open
#endif
    libraryStarted = true;
}

void StopLibrary()
{
#ifdef _WIN32
    WSACleanup();
#endif
    libraryStarted = false;
}

bool LookUpIPv4(const std::string& host, sockaddr_in& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    return true;
}

} // namespace

bool IsNumericAddress(const std::string& host)
{
    in_addr parsed{};
    return inet_pton(AF_INET, host.c_str(), &parsed) == 1;
}

std::optional<std::string> LookUpAddress(const std::string& host)
{
    sockaddr_in address{};
    char text[INET_ADDRSTRLEN] = {};
    if (!LookUpIPv4(host, address) || inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr)
        return std::nullopt;
    return std::string(text);
}

UdpSocket::UdpSocket() : handle_(kNoSocket)
{
    if (instanceCount++ == 0 && !libraryStarted)
        StartLibrary();
}

UdpSocket::~UdpSocket()
{
    Close();
    if (--instanceCount == 0 && libraryStarted)
        StopLibrary();
}

int UdpSocket::Instances() { return instanceCount; }

bool UdpSocket::IsOpen() const { return handle_ != kNoSocket; }

void UdpSocket::Close()
{
    if (handle_ == kNoSocket)
        return;
#ifdef _WIN32
    closesocket(SOCKET(handle_));
#else
    close(handle_);
#endif
    handle_ = kNoSocket;
}

bool UdpSocket::Open(const std::string& host, uint16_t port)
{
    // The socket being replaced goes first, so no handle leaks however often the user connects.
    Close();
    sockaddr_in address{};
    if (!LookUpIPv4(host, address))
        return false;
    address.sin_port = htons(port);
#ifdef _WIN32
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return false;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(s);
        return false;
    }
    u_long nonBlocking = 1; // a receive must never wait, whatever the poll said
    ioctlsocket(s, FIONBIO, &nonBlocking);
    handle_ = uintptr_t(s);
#else
    const int s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s < 0)
        return false;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return false;
    }
    handle_ = s;
#endif
    return true;
}

void UdpSocket::Send(const Packet& packet)
{
    if (handle_ == kNoSocket)
        return;
#ifdef _WIN32
    ::send(SOCKET(handle_), reinterpret_cast<const char*>(packet.Data()), int(packet.Size()), 0);
#else
    ::send(handle_, packet.Data(), packet.Size(), MSG_NOSIGNAL);
#endif
}

uint32_t UdpSocket::Receive(Packet& packet)
{
    if (handle_ == kNoSocket)
        return 0;
    // One byte more than the largest datagram: filling it means the datagram was too long.
    char buffer[kMaxDatagram + 1];
#ifdef _WIN32
    const int n = ::recv(SOCKET(handle_), buffer, int(sizeof buffer), 0);
    if (n <= 0 || uint32_t(n) > kMaxDatagram)
        return 0; // WSAEMSGSIZE also lands here
#else
    const ssize_t n = ::recv(handle_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0 || size_t(n) > kMaxDatagram)
        return 0;
#endif
    packet.FillFromBytes(buffer, uint32_t(n));
    return uint32_t(n);
}

bool UdpSocket::Readable()
{
    if (handle_ == kNoSocket)
        return false;
#ifdef _WIN32
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(SOCKET(handle_), &readSet);
    timeval zero{0, 0};
    return select(0, &readSet, nullptr, nullptr, &zero) > 0;
#else
    pollfd p{handle_, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLERR)) != 0;
#endif
}

uint16_t UdpSocket::LocalPort() const
{
    if (handle_ == kNoSocket)
        return 0;
    sockaddr_in local{};
    socklen_t length = sizeof local;
#ifdef _WIN32
    if (getsockname(SOCKET(handle_), reinterpret_cast<sockaddr*>(&local), &length) != 0)
#else
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0)
#endif
        return 0;
    return ntohs(local.sin_port);
}
