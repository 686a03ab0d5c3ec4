#include "transport/UdpSocket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The server's end: a plain socket on a loopback port (0: any free one). It
// answers whoever wrote to it last.
struct LoopbackPeer {
    explicit LoopbackPeer(uint16_t wanted = 0)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(wanted);
        bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        const timeval patience{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    }
    ~LoopbackPeer() { close(fd); }
    std::string Receive()
    {
        char buffer[2048];
        const ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&client), &clientLength);
        return n > 0 ? std::string(buffer, size_t(n)) : std::string();
    }
    void Reply(const std::string& bytes)
    {
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&client), clientLength);
    }

    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    bool bound = false;
    uint16_t port = 0;
    sockaddr_in client{};
    socklen_t clientLength = sizeof client;
};

TEST(UdpSocketTest, ANewOpenClosesTheOldSocketAndDatagramsOver520BytesAreDroppedLeavingThePacketAlone)
{
    LoopbackPeer first, peer;
    UdpSocket socket;
    ASSERT_TRUE(socket.Open("127.0.0.1", first.port));
    const uint16_t oldPort = socket.LocalPort();
    ASSERT_TRUE(socket.Open("localhost", peer.port));
    EXPECT_TRUE(LoopbackPeer(oldPort).bound); // the old local port is free again
    socket.Send(Packet::FromString("hello"));
    EXPECT_EQ(peer.Receive(), "hello");

    for (const size_t size : {1u, 519u, 520u, 521u, 600u}) {
        SCOPED_TRACE(size);
        peer.Reply(std::string(size, 'x'));
        // A loopback datagram is there almost at once; spin on the poll rather than sleep.
        for (int i = 0; i < 100000 && !socket.Readable(); ++i) {
        }
        Packet packet = Packet::FromString("untouched");
        EXPECT_EQ(socket.Receive(packet), size <= 520 ? size : 0u);
        EXPECT_EQ(packet.ToString(), size <= 520 ? std::string(size, 'x') : "untouched");
        EXPECT_FALSE(socket.Readable()); // nothing of a long datagram is left behind
    }
    // Nothing waiting: a receive fails at once instead of blocking.
    Packet packet;
    EXPECT_EQ(socket.Receive(packet), 0u);
}

} // namespace
