#include "support/ConnectionHarness.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Builds datagrams that look like the server's core packets, then damages them:
// random bodies, wrong lengths, nesting, cuts and flipped bytes.
class DatagramMaker {
public:
    explicit DatagramMaker(uint32_t seed) : random_(seed) {}

    Packet Make(int depth = 0)
    {
        static const uint8_t kCoreTypes[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                             0x08, 0x09, 0x0A, 0x0B, 0x0E, 0x0F, 0xFF};
        Packet p;
        if (Chance(15)) {
            p = Bytes(Below(40)); // a zone packet, or anything at all
        } else {
            p = Packet(2);
            const uint8_t type = kCoreTypes[Below(sizeof kCoreTypes)];
            p.WriteU8(type, 1);
            switch (type) {
            case 0x03: // reliable: near numbers, so delivery gets to work
                p.Append(Number(Chance(80) ? Below(12) : uint32_t(random_())));
                if (depth < 4 && Chance(50))
                    p.Append(Make(depth + 1));
                else
                    p.Append(Bytes(Below(30)));
                break;
            case 0x0A: // big chunk: small totals complete, large ones stay open
                p.Append(Number(Chance(70) ? Below(1200) : uint32_t(random_())));
                p.Append(depth < 4 && Chance(30) ? Make(depth + 1) : Bytes(Below(500)));
                break;
            case 0x0E: // cluster: member lengths that fit, and some that lie
                for (uint32_t members = Below(5); members > 0; --members) {
                    Packet member = depth < 4 && Chance(60) ? Make(depth + 1) : Bytes(Below(20));
                    if (member.Size() > 255)
                        member = member.SubRange(0, 255);
                    Packet length(1);
                    length.WriteU8(uint8_t(Chance(85) ? member.Size() : Below(256)), 0);
                    p.Append(length);
                    p.Append(member);
                }
                break;
            default:
                p.Append(Bytes(Below(Chance(90) ? 24 : 518)));
                break;
            }
        }
        if (depth == 0) {
            if (Chance(20))
                p = p.SubRange(0, Below(p.Size() + 1));
            for (uint32_t flips = Chance(20) ? Below(4) : 0; flips > 0 && !p.Empty(); --flips)
                p.WriteU8(uint8_t(random_()), Below(p.Size()));
            if (p.Size() > DatagramSocket::kMaxDatagram)
                p = p.SubRange(0, DatagramSocket::kMaxDatagram);
        }
        return p;
    }

private:
    uint32_t Below(size_t n) { return n == 0 ? 0 : uint32_t(random_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    Packet Number(uint32_t n)
    {
        Packet p(4);
        p.WriteU32(n, 0);
        return p;
    }
    Packet Bytes(uint32_t n)
    {
        Packet p(n);
        for (uint32_t i = 0; i < n; ++i)
            p.WriteU8(uint8_t(random_()), i);
        return p;
    }

    std::mt19937 random_;
};

void Replay(uint32_t seed, int datagrams)
{
    ConnectionHarness h;
    int zonePackets = 0;
    for (int type = 1; type < 256; ++type)
        if (type != 0x2C)
            h->SetZoneHandler(uint8_t(type), [&](Connection&, const Packet&) { ++zonePackets; });
    h.Handshake();
    h->OnArenaEntered();
    h->SetInArena(true);
    DatagramMaker maker(seed);
    for (int i = 0; i < datagrams; ++i) {
        // Keep the server's cipher in step with the client's, so what was built
        // reaches the dispatcher as built.
        if (h->CipherState().Active())
            h.serverCipher.Start(h->CipherState().Key());
        else
            h.serverCipher.Stop();
        h.Queue(maker.Make());
        h.Ticks(1 + int(i % 3));
        h.TakeSent();
        if (!h->Connected()) {
            h->BeginConnection();
            h->SetInArena(true);
        }
        ASSERT_LE(h->Reliable().HeldCount(), ReliableState::kMaxAhead);
        ASSERT_LE(Connection::BigChunkBuffer().Size(), Connection::kMaxTransferSize + DatagramSocket::kMaxDatagram);
        ASSERT_LE(Connection::SmallChunkBuffer().Size(), Connection::kMaxTransferSize);
    }
    EXPECT_GT(zonePackets, 0);
}

TEST(HostileInputTest, SeededRandomDatagramsOfEveryCoreTypeDoNoHarm)
{
    for (uint32_t seed = 1; seed <= 4; ++seed)
        Replay(seed, 1500);
}

} // namespace
