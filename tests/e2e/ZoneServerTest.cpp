// The simulator's zone server at the packet level: what it answers, and that it
// reports what a client gets wrong rather than playing along.

#include "ZoneServer.h"

#include "support/RawZoneClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Raw = RawZoneClient;

Packet Login(uint32_t size = 101)
{
    Packet login(size);
    login.WriteU8(0x09, 0);
    login.WriteText("Raw", 2, 32);
    login.WriteU32(0x12345678, 66);
    login.WriteU16(240, 71);
    login.WriteU16(134, 75);
    login.WriteU32(444, 77);
    login.WriteU32(555, 81);
    login.WriteU32(0x12345678, 85);
    return login;
}

Packet ArenaEntry(uint32_t size, uint16_t selector)
{
    Packet entry(size);
    entry.WriteU8(0x01, 0);
    entry.WriteU8(8, 1);
    entry.WriteU16(1, 2);
    entry.WriteU16(640, 4);
    entry.WriteU16(480, 6);
    entry.WriteU16(selector, 8);
    return entry;
}

class ZoneServerTest : public ::testing::Test {
protected:
    ZoneServerTest()
    {
        sim = std::make_unique<ZoneSim>(clock);
        server = std::make_unique<ZoneServer>(*sim);
        client = std::make_unique<Raw>(sim->Port());
        client->Handshake(0x5150, [this] { sim->Poll(); });
    }
    std::vector<Packet> Exchange(const Packet& packet)
    {
        client->Send(packet);
        sim->Poll();
        return client->ReceiveAll();
    }
    // Reliable payloads the server sent, acknowledged as a client would.
    std::vector<Packet> Payloads(const std::vector<Packet>& datagrams)
    {
        std::vector<Packet> payloads;
        for (const Packet& d : datagrams)
            if (d.ReadU8(0) == 0x00 && d.ReadU8(1) == 0x03) {
                client->Send(Raw::Ack(d.ReadU32(2)));
                payloads.push_back(d.SubRange(6, 0));
            }
        sim->Poll();
        return payloads;
    }

    ManualClock clock;
    std::unique_ptr<ZoneSim> sim;
    std::unique_ptr<ZoneServer> server;
    std::unique_ptr<Raw> client;
};

TEST_F(ZoneServerTest, ALoginIsAnsweredWithTheScriptsCodeAndTheArenaFollowsTheEntry)
{
    server->Script().loginCode = 13;
    server->Script().ownId = 9;
    std::vector<Packet> payloads = Payloads(Exchange(Raw::Reliable(0, Login())));
    ASSERT_EQ(payloads.size(), 1u);
    EXPECT_EQ(payloads[0].ReadU8(0), 0x0A);
    EXPECT_EQ(payloads[0].ReadU8(1), 13);
    ASSERT_EQ(server->Logins().size(), 1u);
    EXPECT_EQ(server->Logins()[0].name, "Raw");

    // Own id, the settings in three big-chunk pieces, our own record, arena entered.
    payloads = Payloads(Exchange(Raw::Reliable(1, ArenaEntry(26, 0xFFFF))));
    ASSERT_EQ(payloads.size(), 6u);
    EXPECT_EQ(payloads[0], Raw::Hex("01 0900"));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(payloads[size_t(i)].SubRange(0, 6), Raw::Hex("000A 94050000")); // 1,428 bytes
    EXPECT_EQ(payloads[4].Size(), 64u);
    EXPECT_EQ(payloads[4].ReadText(3, 20), "Raw");
    EXPECT_EQ(payloads[4].ReadU16(51), 9);
    EXPECT_EQ(payloads[5], Raw::Hex("02"));
    EXPECT_EQ(server->ArenaEntries()[0].form, ArenaForm::AnyPublic);
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ZoneServerTest, WhatTheClientGetsWrongIsReported)
{
    Exchange(Raw::Reliable(0, Login(100)));
    EXPECT_EQ(sim->Violations().size(), 1u);
    Exchange(Raw::Reliable(1, ArenaEntry(10, 0xFFFF))); // the short form
    EXPECT_EQ(sim->Violations().size(), 2u);
    Packet named = ArenaEntry(26, 3);
    named.WriteText("x", 10, 16); // a name with a numbered selector
    Exchange(Raw::Reliable(2, named));
    EXPECT_EQ(sim->Violations().size(), 3u);

    Packet position(22);
    position.WriteU8(0x03, 0);
    position.WriteU32(1234, 2);
    position.WriteU8(0x03 ^ 0xD2 ^ 0x04 ^ 1, 10); // one bit off
    Exchange(position);
    EXPECT_EQ(sim->Violations().size(), 4u);
    ASSERT_EQ(server->Positions().size(), 1u);
    EXPECT_FALSE(server->Positions()[0].checkValid);

    Exchange(Raw::Hex("06 02 00 0000 6869")); // no zero after the text
    EXPECT_EQ(sim->Violations().size(), 5u);
    Exchange(Raw::Hex("06 02 00 0000 686900"));
    Exchange(Raw::Reliable(3, Raw::Hex("0F 0100")));
    EXPECT_EQ(sim->Violations().size(), 5u);
    EXPECT_EQ(server->Chats().size(), 2u);
    EXPECT_EQ(server->FrequencyRequests().size(), 1u);

    Exchange(Raw::Reliable(4, Raw::Hex("0C"))); // no map on offer
    EXPECT_EQ(sim->Violations().size(), 6u);
}

} // namespace
