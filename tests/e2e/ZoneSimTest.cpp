#include "ZoneSim.h"

#include "support/RawZoneClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

using Raw = RawZoneClient;

// A zone packet: type byte, then a u32 to tell it apart.
Packet Zone(uint8_t type, uint32_t value)
{
    Packet packet(5);
    packet.WriteU8(type, 0);
    packet.WriteU32(value, 1);
    return packet;
}

Packet Filled(uint8_t type, uint32_t size)
{
    Packet packet(size);
    for (uint32_t i = 0; i < size; ++i)
        packet.WriteU8(uint8_t(i * 7 + 3), i);
    packet.WriteU8(type, 0);
    return packet;
}

Packet KeyResponse(uint32_t key)
{
    Packet response = Raw::Core(0x02, Packet(4));
    response.WriteU32(key, 2);
    return response;
}

class ZoneSimTest : public ::testing::Test {
protected:
    void Start(ZoneSimOptions options = {})
    {
        sim = std::make_unique<ZoneSim>(clock, std::move(options));
        ASSERT_TRUE(sim->Listening());
        client = std::make_unique<Raw>(sim->Port());
        ASSERT_TRUE(client->IsOpen());
    }
    Packet Connect(uint32_t clientKey = 0x11223344)
    {
        return client->Handshake(clientKey, [this] { sim->Poll(); });
    }
    // The client sends one packet; what the simulator answers at once.
    std::vector<Packet> Exchange(const Packet& packet)
    {
        client->Send(packet);
        return Answers();
    }
    std::vector<Packet> Answers()
    {
        sim->Poll();
        return client->ReceiveAll();
    }
    SimSession& Peer() { return *sim->Peer(); }
    std::vector<Packet> Delivered(uint8_t type) const { return sim->ReceivedOfType(type); }

    ManualClock clock;
    std::unique_ptr<ZoneSim> sim;
    std::unique_ptr<Raw> client;
};

// --- Key exchange and cipher ---

TEST_F(ZoneSimTest, KeyExchangeAnswersInTheClearWithTheNegatedKeyThenEverythingIsEncrypted)
{
    Start();
    EXPECT_EQ(sim->Peer(), nullptr);
    EXPECT_EQ(Connect(0x11223344), KeyResponse(0xEEDDCCBC));
    ASSERT_NE(sim->Peer(), nullptr);
    EXPECT_EQ(Peer().ClientKey(), 0x11223344u);
    EXPECT_EQ(sim->Handshakes(), 1u);

    // An encrypted synchronisation request is read and answered encrypted.
    Packet request = Raw::Core(0x05, Packet(12));
    request.WriteU32(0xCAFE0001, 2);
    const std::vector<Packet> answers = Exchange(request);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].SubRange(0, 6), Raw::Hex("0006 0100FECA"));
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ZoneSimTest, AnyKeyTheTestChoosesWorks)
{
    for (const uint32_t key : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        ZoneSimOptions options;
        options.serverKey = [key](uint32_t) { return key; };
        Start(options);
        EXPECT_EQ(Connect(), KeyResponse(key));
        sim->SendZone(Filled(0x07, 300), true);
        const std::vector<Packet> got = Answers();
        ASSERT_EQ(got.size(), 1u) << key;
        EXPECT_EQ(got[0], Raw::Reliable(0, Filled(0x07, 300))) << key;
    }
}

TEST_F(ZoneSimTest, ACopiedKeyRequestIsIgnoredAndANewKeyStartsAFreshConnection)
{
    Start();
    Connect(500);
    sim->SendZone(Zone(0x10, 0), true);
    client->SendClear(Raw::KeyRequest(500));
    EXPECT_EQ(Answers(), std::vector<Packet>{Raw::Reliable(0, Zone(0x10, 0))});
    EXPECT_EQ(Peer().Tally().repeatedKeyRequests, 1u);

    // The client connects again: numbering restarts and the new key rules.
    client->Crypt().Stop();
    EXPECT_EQ(Connect(600), KeyResponse(0u - 600));
    sim->SendZone(Zone(0x10, 1), true);
    EXPECT_EQ(Answers(), std::vector<Packet>{Raw::Reliable(0, Zone(0x10, 1))});
    EXPECT_EQ(sim->Handshakes(), 2u);
}

TEST_F(ZoneSimTest, NothingButAKeyRequestOpensAConnection)
{
    Start();
    client->SendClear(Raw::Reliable(0, Zone(0x09, 0)));
    EXPECT_TRUE(Answers().empty());
    EXPECT_EQ(sim->Peer(), nullptr);
    EXPECT_TRUE(sim->Received().empty());
}

// --- Reliable delivery from the client ---

TEST_F(ZoneSimTest, ClientReliablesAreAcknowledgedEachTimeAndDeliveredOnceInOrder)
{
    Start();
    Connect();
    EXPECT_EQ(Exchange(Raw::Reliable(1, Zone(0x20, 1))), std::vector<Packet>{Raw::Ack(1)});
    EXPECT_EQ(Exchange(Raw::Reliable(2, Zone(0x20, 2))), std::vector<Packet>{Raw::Ack(2)});
    EXPECT_TRUE(sim->Received().empty());
    EXPECT_EQ(Exchange(Raw::Reliable(0, Zone(0x20, 0))), std::vector<Packet>{Raw::Ack(0)});
    EXPECT_EQ(Delivered(0x20), (std::vector<Packet>{Zone(0x20, 0), Zone(0x20, 1), Zone(0x20, 2)}));

    // Copies are acknowledged again (the first ack may have been lost) but not delivered.
    EXPECT_EQ(Exchange(Raw::Reliable(1, Zone(0x20, 1))), std::vector<Packet>{Raw::Ack(1)});
    client->Send(Raw::Reliable(4, Zone(0x20, 4)));
    EXPECT_EQ(Exchange(Raw::Reliable(4, Zone(0x20, 4))), (std::vector<Packet>{Raw::Ack(4), Raw::Ack(4)}));
    EXPECT_EQ(Peer().Tally().duplicatesDropped, 2u);

    // An empty payload takes its turn like any other.
    EXPECT_EQ(Exchange(Raw::Reliable(3, Packet())), std::vector<Packet>{Raw::Ack(3)});
    EXPECT_EQ(Delivered(0x20).size(), 4u);
    EXPECT_EQ(Peer().NextExpected(), 5u);
}

TEST_F(ZoneSimTest, AReliablePacketFarAheadIsNeitherKeptNorAcknowledged)
{
    Start();
    Connect();
    EXPECT_TRUE(Exchange(Raw::Reliable(SimSession::kMaxAhead + 1, Zone(0x20, 9))).empty());
    EXPECT_EQ(Exchange(Raw::Reliable(SimSession::kMaxAhead, Zone(0x20, 8))),
              std::vector<Packet>{Raw::Ack(SimSession::kMaxAhead)});
    EXPECT_EQ(Peer().Tally().tooFarAhead, 1u);
}

// --- Reliable delivery to the client ---

TEST_F(ZoneSimTest, OwnReliablesAreResentUntilAcknowledged)
{
    ZoneSimOptions options;
    options.resendAfter = 100;
    Start(options);
    Connect();
    sim->SendZone(Zone(0x07, 1), true);
    sim->SendZone(Zone(0x07, 2), true);
    EXPECT_EQ(client->ReceiveAll().size(), 2u);
    clock.Advance(99);
    EXPECT_TRUE(Answers().empty());
    clock.Advance(1);
    EXPECT_EQ(Answers(), (std::vector<Packet>{Raw::Reliable(0, Zone(0x07, 1)), Raw::Reliable(1, Zone(0x07, 2))}));

    EXPECT_TRUE(Exchange(Raw::Ack(0)).empty());
    clock.Advance(100);
    EXPECT_EQ(Answers(), std::vector<Packet>{Raw::Reliable(1, Zone(0x07, 2))});
    Exchange(Raw::Ack(1));
    Exchange(Raw::Ack(1)); // a copy of an ack is harmless
    clock.Advance(500);
    EXPECT_TRUE(Answers().empty());
    EXPECT_TRUE(Peer().AllAcknowledged());
    EXPECT_EQ(Peer().Tally().resends, 3u);
    EXPECT_EQ(Peer().Tally().staleAcks, 1u);
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ZoneSimTest, TheSendWindowHoldsPacketsBackUntilAcknowledgementsComeIn)
{
    ZoneSimOptions options;
    options.sendWindow = 3;
    Start(options);
    Connect();
    for (uint32_t n = 0; n < 5; ++n)
        sim->SendZone(Zone(0x07, n), true);
    EXPECT_EQ(client->ReceiveAll().size(), 3u);
    EXPECT_EQ(Peer().Queued(), 2u);
    EXPECT_EQ(Exchange(Raw::Ack(1)), std::vector<Packet>{Raw::Reliable(3, Zone(0x07, 3))});
    EXPECT_EQ(Exchange(Raw::Ack(0)), std::vector<Packet>{Raw::Reliable(4, Zone(0x07, 4))});

    // Acknowledging what was never sent is the client's fault.
    Exchange(Raw::Ack(7));
    EXPECT_EQ(sim->Violations().size(), 1u);
}

// --- Synchronisation ---

TEST_F(ZoneSimTest, SynchronisationIsAnsweredAndAskedFor)
{
    Start();
    Connect();
    clock.Set(777);
    const std::vector<Packet> answers = Exchange(Raw::Hex("0005 34120000 07000000 09000000"));
    EXPECT_EQ(answers, std::vector<Packet>{Raw::Hex("0006 34120000 09030000")});
    EXPECT_EQ(Peer().ClientPacketsSent(), 7u);
    EXPECT_EQ(Peer().ClientPacketsReceived(), 9u);

    Peer().SendSyncRequest();
    const std::vector<Packet> requests = client->ReceiveAll();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], Raw::Hex("0005 09030000"));
    clock.Advance(12);
    Packet response = Raw::Core(0x06, Packet(8));
    response.WriteU32(requests[0].ReadU32(2), 2);
    Exchange(response);
    EXPECT_EQ(Peer().RoundTrip(), 12u);
}

// --- Clusters and chunks from the client ---

TEST_F(ZoneSimTest, ClustersAndSmallChunksAreUnpackedInOrder)
{
    Start();
    Connect();
    // A cluster holding a zone packet, an empty member and a reliable packet.
    Exchange(Raw::Hex("000E 02 2101 00 08 0003 00000000 2102"));
    EXPECT_EQ(Delivered(0x21), (std::vector<Packet>{Raw::Hex("2101"), Raw::Hex("2102")}));

    Exchange(Raw::Hex("0008 2203"));
    Exchange(Raw::Hex("0008 0405"));
    Exchange(Raw::Hex("0009 0607"));
    Exchange(Raw::Hex("0009 2208"));
    EXPECT_EQ(Delivered(0x22), (std::vector<Packet>{Raw::Hex("2203 0405 0607"), Raw::Hex("2208")}));
}

TEST_F(ZoneSimTest, BigChunksSentReliablyAreReassembledAndAnUnfinishedOneIsReplaced)
{
    Start();
    Connect();
    const Packet big = Filled(0x23, 1001);
    for (uint32_t at = 0, n = 0; at < big.Size(); at += 500, ++n) {
        Packet piece = Raw::Core(0x0A, Packet(4));
        piece.WriteU32(big.Size(), 2);
        piece.Append(big.SubRange(at, at + 500 < big.Size() ? at + 500 : 0));
        Exchange(Raw::Reliable(n, piece));
    }
    EXPECT_EQ(Delivered(0x23), std::vector<Packet>{big});

    // 500 bytes of a 1000-byte packet, then a different total: the first is dropped.
    Packet unfinished = Raw::Hex("000A E8030000");
    unfinished.Append(Filled(0x24, 500));
    Exchange(unfinished);
    Exchange(Raw::Hex("000A 04000000 24010203"));
    EXPECT_EQ(Delivered(0x24), std::vector<Packet>{Raw::Hex("24010203")});
    EXPECT_EQ(Peer().Tally().chunksAbandoned, 1u);
}

// --- What the simulator sends ---

TEST_F(ZoneSimTest, ClustersAndSmallChunksGoOutAsLaidOut)
{
    Start();
    Connect();
    EXPECT_TRUE(Peer().SendCluster({Raw::Hex("aabb"), Raw::Hex("cc")}, false));
    EXPECT_TRUE(Peer().SendCluster({Raw::Hex("07")}, true));
    EXPECT_FALSE(Peer().SendCluster({Filled(0x07, 256)}, false));
    Peer().SendSmallChunks(Raw::Hex("abcdef0102"), 2, false);
    EXPECT_EQ(client->ReceiveAll(), (std::vector<Packet>{
                                        Raw::Hex("000E 02aabb 01cc"),
                                        Raw::Reliable(0, Raw::Hex("000E 0107")),
                                        Raw::Hex("0008 abcd"),
                                        Raw::Hex("0008 ef01"),
                                        Raw::Hex("0009 02"),
                                    }));
}

TEST_F(ZoneSimTest, ZonePacketsTooBigForOneDatagramGoAsReliableBigChunks)
{
    Start();
    Connect();
    sim->SendZone(Filled(0x30, 514), true);
    std::vector<Packet> got = client->ReceiveAll();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Size(), 520u);

    for (const uint32_t size : {515u, 1000u, 1001u}) {
        for (uint32_t n = 0; n < Peer().NextOutgoing(); ++n)
            client->Send(Raw::Ack(n));
        Answers();
        const Packet big = Filled(0x31, size);
        const uint32_t first = Peer().NextOutgoing();
        sim->SendZone(big, true);
        got = client->ReceiveAll();
        ASSERT_EQ(got.size(), (size + 499) / 500) << size;
        Packet joined;
        for (uint32_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].SubRange(0, 2), Raw::Hex("0003"));
            EXPECT_EQ(got[i].ReadU32(2), first + i);
            EXPECT_EQ(got[i].SubRange(6, 8), Raw::Hex("000A"));
            EXPECT_EQ(got[i].ReadU32(8), size);
            EXPECT_LE(got[i].Size(), 512u);
            joined.Append(got[i].SubRange(12, 0));
        }
        EXPECT_EQ(joined, big) << size;
    }
}

// --- Disconnect ---

TEST_F(ZoneSimTest, AfterTheServerDisconnectsOnlyTheClientsGoodbyeAndANewKeyCount)
{
    Start();
    Connect();
    Peer().Disconnect();
    EXPECT_EQ(client->ReceiveAll(), std::vector<Packet>{Raw::Hex("0007")});
    EXPECT_FALSE(Peer().Connected());
    EXPECT_TRUE(Exchange(Raw::Reliable(0, Zone(0x02, 0))).empty());
    EXPECT_TRUE(sim->Received().empty());
    Exchange(Raw::Hex("0007"));
    EXPECT_TRUE(Peer().ClientLeft());

    client->Crypt().Stop();
    EXPECT_EQ(Connect(42), KeyResponse(0u - 42));
    EXPECT_TRUE(Peer().Connected());
    EXPECT_FALSE(Peer().ClientLeft());
    EXPECT_EQ(Exchange(Raw::Reliable(0, Zone(0x20, 0))), std::vector<Packet>{Raw::Ack(0)});
}

TEST_F(ZoneSimTest, TheClientsDisconnectEndsTheConnectionAndItsResends)
{
    Start();
    Connect();
    sim->SendZone(Zone(0x07, 0), true);
    client->ReceiveAll();
    EXPECT_TRUE(Exchange(Raw::Hex("0007")).empty());
    EXPECT_TRUE(Peer().ClientLeft());
    EXPECT_EQ(Peer().Tally().clientDisconnects, 1u);
    clock.Advance(1000);
    EXPECT_TRUE(Answers().empty());
}

TEST_F(ZoneSimTest, ASilentClientIsGivenUpWhenAsked)
{
    ZoneSimOptions options;
    options.dropSilentAfter = 500;
    Start(options);
    Connect();
    sim->SendZone(Zone(0x07, 0), true);
    client->ReceiveAll();
    clock.Advance(499);
    EXPECT_EQ(Answers().size(), 1u); // still resending
    clock.Advance(1);
    EXPECT_TRUE(Answers().empty());
    EXPECT_FALSE(Peer().Connected());
    clock.Advance(1000);
    EXPECT_TRUE(Answers().empty());
}

// --- Zone handlers ---

TEST_F(ZoneSimTest, AZoneHandlerAnswersWhatTheClientSends)
{
    Start();
    sim->Handle(0x09, [](SimSession& session, const Packet& login) {
        Packet response = Raw::Hex("0A00");
        response.Append(login.SubRange(1, 2));
        session.SendZone(response, true);
    });
    Connect();
    const std::vector<Packet> answers = Exchange(Raw::Reliable(0, Raw::Hex("09 55 66")));
    EXPECT_EQ(answers, (std::vector<Packet>{Raw::Ack(0), Raw::Reliable(0, Raw::Hex("0A00 55"))}));
    ASSERT_EQ(sim->Received().size(), 1u);
    EXPECT_EQ(sim->Received()[0].type, 0x09);
    EXPECT_EQ(sim->Received()[0].bytes, Raw::Hex("09 55 66"));
}

TEST_F(ZoneSimTest, EachZonePacketIsRecordedWithHowItArrived)
{
    Start();
    Connect();
    Exchange(Zone(0x20, 0));
    Exchange(Raw::Reliable(0, Zone(0x21, 0)));
    Exchange(Raw::Hex("000E 05 2200000000"));
    auto piece = [](const Packet& whole, uint32_t at) {
        Packet p = Raw::Hex("000A 00000000");
        p.WriteU32(whole.Size(), 2);
        p.Append(whole.SubRange(at, at + 500 < whole.Size() ? at + 500 : 0));
        return p;
    };
    const Packet big = Filled(0x23, 700);
    Exchange(Raw::Reliable(1, piece(big, 0)));
    Exchange(Raw::Reliable(2, piece(big, 500)));
    // One piece sent without the reliable header taints the whole.
    const Packet tainted = Filled(0x24, 600);
    Exchange(Raw::Reliable(3, piece(tainted, 0)));
    Exchange(piece(tainted, 500));
    ASSERT_EQ(sim->Received().size(), 5u);
    const auto& r = sim->Received();
    EXPECT_FALSE(r[0].via.reliable);
    EXPECT_TRUE(r[1].via.reliable);
    EXPECT_FALSE(r[1].via.bigChunks);
    EXPECT_TRUE(r[2].via.clustered);
    EXPECT_FALSE(r[2].via.reliable);
    EXPECT_EQ(r[3].bytes, big);
    EXPECT_TRUE(r[3].via.bigChunks);
    EXPECT_TRUE(r[3].via.reliable);
    EXPECT_EQ(r[4].bytes, tainted);
    EXPECT_TRUE(r[4].via.bigChunks);
    EXPECT_FALSE(r[4].via.reliable);
}

// --- Hostile input ---

TEST_F(ZoneSimTest, OversizedAndRandomDatagramsDoNoHarm)
{
    Start();
    Connect();
    client->Send(Filled(0x07, 521));
    Answers();
    ASSERT_EQ(sim->Violations().size(), 1u);

    // A big chunk announcing more than we keep is dropped at once.
    Exchange(Raw::Hex("000A 01000001 2401"));
    EXPECT_EQ(Peer().Tally().chunksAbandoned, 1u);

    std::mt19937 random(2024);
    for (int i = 0; i < 3000; ++i) {
        Packet junk(random() % 530);
        for (uint32_t at = 0; at < junk.Size(); ++at)
            junk.WriteU8(uint8_t(random()), at);
        // Mostly core packets, so every core handler gets its share.
        if (junk.Size() > 1 && random() % 4 != 0) {
            junk.WriteU8(0x00, 0);
            junk.WriteU8(uint8_t(random() % 16), 1);
        }
        client->Send(junk);
        if (i % 50 == 0)
            Answers();
    }
    Answers();
    clock.Advance(10000);
    Answers();

    // The simulator still works afterwards.
    client->Crypt().Stop();
    EXPECT_EQ(Connect(77), KeyResponse(0u - 77));
    EXPECT_EQ(Exchange(Raw::Reliable(0, Zone(0x20, 0))), std::vector<Packet>{Raw::Ack(0)});
}

} // namespace
