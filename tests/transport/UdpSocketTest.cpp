#include "transport/UdpSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The server's end: a plain socket bound to a free loopback port.
class LoopbackPeer {
public:
    LoopbackPeer()
    {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackPeer() { close(fd_); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    uint16_t Port() const { return port_; }

    // Waits (briefly) for one datagram and remembers who sent it.
    std::string Receive()
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0)
            return {};
        char buffer[2048];
        socklen_t length = sizeof client_;
        const ssize_t n = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&client_), &length);
        return n > 0 ? std::string(buffer, size_t(n)) : std::string();
    }
    void Reply(const std::string& bytes)
    {
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&client_), sizeof client_);
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
    sockaddr_in client_{};
};

// A datagram sent over loopback is there by the time the peer has answered, but
// give the kernel a moment without sleeping on a timer.
bool WaitReadable(UdpSocket& socket)
{
    for (int i = 0; i < 100000; ++i)
        if (socket.Readable())
            return true;
    return false;
}

TEST(UdpSocketTest, SendsAndReceivesWholeDatagramsUpTo520Bytes)
{
    LoopbackPeer peer;
    UdpSocket socket;
    EXPECT_FALSE(socket.Readable());
    ASSERT_TRUE(socket.Open("127.0.0.1", peer.Port()));
    EXPECT_FALSE(socket.Readable());

    socket.Send(Packet::FromString("hello"));
    EXPECT_EQ(peer.Receive(), "hello");

    for (const size_t size : {1u, 519u, 520u}) {
        peer.Reply(std::string(size, 'x'));
        ASSERT_TRUE(WaitReadable(socket));
        Packet packet;
        EXPECT_EQ(socket.Receive(packet), size);
        EXPECT_EQ(packet.Size(), size);
    }
    EXPECT_FALSE(socket.Readable());
}

TEST(UdpSocketTest, ALongerDatagramIsAFailedReceiveThatLeavesThePacketAlone)
{
    LoopbackPeer peer;
    UdpSocket socket;
    ASSERT_TRUE(socket.Open("localhost", peer.Port()));
    socket.Send(Packet::FromString("hi"));
    ASSERT_EQ(peer.Receive(), "hi");

    for (const size_t size : {521u, 600u}) {
        peer.Reply(std::string(size, 'y'));
        ASSERT_TRUE(WaitReadable(socket));
        Packet packet = Packet::FromString("untouched");
        EXPECT_EQ(socket.Receive(packet), 0u);
        EXPECT_EQ(packet.ToString(), "untouched");
        EXPECT_FALSE(socket.Readable()); // the long datagram is gone, not left in part
    }
    // Nothing waiting: a receive fails at once instead of blocking.
    Packet packet;
    EXPECT_EQ(socket.Receive(packet), 0u);
}

TEST(UdpSocketTest, ANewOpenClosesTheSocketItReplaces)
{
    LoopbackPeer first, second;
    UdpSocket socket;
    ASSERT_TRUE(socket.Open("127.0.0.1", first.Port()));
    const uint16_t oldPort = socket.LocalPort();
    ASSERT_NE(oldPort, 0);
    ASSERT_TRUE(socket.Open("127.0.0.1", second.Port()));
    EXPECT_NE(socket.LocalPort(), oldPort);

    // The old local port is free again.
    const int probe = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(oldPort);
    EXPECT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(probe);

    socket.Send(Packet::FromString("to the second"));
    EXPECT_EQ(second.Receive(), "to the second");
}

TEST(UdpSocketTest, AnUnresolvableHostFailsAndLeavesNoSocket)
{
    UdpSocket socket;
    EXPECT_FALSE(socket.Open("no.such.host.invalid", 5000));
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_FALSE(socket.Readable());
    socket.Send(Packet::FromString("nowhere")); // quietly nothing
}

TEST(UdpSocketTest, InstancesAreCountedProcessWide)
{
    const int before = UdpSocket::Instances();
    {
        UdpSocket a, b;
        EXPECT_EQ(UdpSocket::Instances(), before + 2);
    }
    EXPECT_EQ(UdpSocket::Instances(), before);
}

} // namespace
