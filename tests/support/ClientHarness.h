#pragma once

#include "client/ChatClient.h"
#include "transport/Cipher.h"

#include "support/FakeSocket.h"
#include "support/FakeViews.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Packets written as hex ("00 03 01000000 07"); spaces are ignored.
inline Packet HexPacket(const std::string& hex)
{
    Packet packet;
    std::string digits;
    for (const char c : hex)
        if (c != ' ')
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        const uint8_t b = uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16));
        packet.AppendBytes(&b, 1);
    }
    return packet;
}

// A player-entering packet (0x03) of 64-byte records.
struct PlayerRecord {
    uint16_t id;
    std::string name;
    uint16_t frequency = 0;
    uint8_t ship = 8;
    std::string squad = "";
};
inline Packet EnteringPacket(const std::vector<PlayerRecord>& records)
{
    Packet p(uint32_t(64 * records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const PlayerRecord& r = records[i];
        const uint32_t base = uint32_t(64 * i);
        p.WriteU8(0x03, base);
        p.WriteU8(r.ship, base + 1);
        p.WriteText(r.name, base + 3, 20);
        p.WriteText(r.squad, base + 23, 20);
        p.WriteU16(r.id, base + 51);
        p.WriteU16(r.frequency, base + 53);
    }
    return p;
}

// The server's side of a scripted socket: it encrypts what it sends and
// decrypts what the client sent, so tests write and read plain packets.
struct ServerEnd {
    FakeSocket* socket = nullptr;
    Cipher cipher;

    void Queue(const Packet& packet)
    {
        Packet wire(packet);
        cipher.Encrypt(wire);
        socket->inbox.push_back(wire);
    }
    // Everything sent since the last call.
    std::vector<Packet> TakeSent()
    {
        std::vector<Packet> plain;
        for (Packet p : socket->sent) {
            cipher.Decrypt(p);
            plain.push_back(p);
        }
        socket->sent.clear();
        return plain;
    }
};

// The whole client on a scripted socket, a hand-moved clock, recording views,
// settings in memory and a temporary program folder, with the server's end.
class ClientHarness {
public:
    static constexpr uint32_t kClientKey = 0x01020304;

    // On a program folder of its own, or on the one given.
    explicit ClientHarness(std::string programFolder = "")
        : programFolder_(programFolder.empty() ? folder.Path() : programFolder)
    {
        Settings::Write(settings, Settings::ServerPort, "5000");
        Make();
    }

    // A fresh client on the same folder and settings (a restart of the program).
    void Make()
    {
        client.reset();
        auto fake = std::make_unique<FakeSocket>();
        socket = server.socket = fake.get();
        client = std::make_unique<ChatClient>(
            view, users, settings, programFolder_, std::move(fake), clock, [] { return kClientKey; }, resolver);
    }

    ChatClient& operator*() { return *client; }
    ChatClient* operator->() { return client.get(); }
    Zone& Z() { return client->GetZone(); }

    // Connect as the user does, and answer the key exchange with `serverKey`.
    void Handshake(uint32_t serverKey = 0x1234ABCD)
    {
        client->Connect();
        Packet response = HexPacket("0002 00000000");
        response.WriteU32(serverKey, 2);
        ServerSends(response);
        server.cipher.Start(serverKey);
    }
    // The handshake, the login accepted and the arena entered, as player `ownId`.
    void EnterArena(uint16_t ownId = 1)
    {
        Handshake();
        Packet id = HexPacket("01 0000");
        id.WriteU16(ownId, 1);
        for (const Packet& p : {HexPacket("0A 00"), id, HexPacket("02")})
            ServerSends(p);
        TakeSent();
        Lines();
    }

    // Steps until a downloaded map is taken in: it is inflated, saved and read on a
    // thread of its own, so this waits on the real clock, at most a few seconds.
    void AwaitMap()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Z().mapJob && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            client->Step();
        }
    }

    // One datagram from the server, received at once.
    void ServerSends(const Packet& packet)
    {
        Queue(packet);
        client->Link().ReceiveOne();
    }
    // Queued in the socket only; the next Step finds it.
    void Queue(const Packet& packet) { server.Queue(packet); }

    // `n` frame-timer ticks; the clock moves one hundredth per tick.
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.Advance(1);
            client->Step();
        }
    }

    // Everything sent since the last call, as the server reads it.
    std::vector<Packet> TakeSent() { return server.TakeSent(); }

    // Zone packets sent since the last call, reliable header taken off; core packets left out.
    std::vector<Packet> TakeSentZone()
    {
        std::vector<Packet> zone;
        for (const Packet& p : TakeSent()) {
            if (p.Size() > 6 && p.ReadU8(0) == 0x00 && p.ReadU8(1) == 0x03)
                zone.push_back(p.SubRange(6, 0));
            else if (!p.Empty() && p.ReadU8(0) != 0x00)
                zone.push_back(p);
        }
        return zone;
    }

    // The lines shown since the previous call, with their colours; the output queue is flushed first.
    std::vector<FakeOutputView::Line> Shown()
    {
        while (client->Output().QueuedPieces() > 0)
            client->Output().FlushOneLine();
        return view.TakeLines();
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> texts;
        for (const FakeOutputView::Line& line : Shown())
            texts.push_back(line.text);
        return texts;
    }

    TempDir folder;
    MemorySettings settings;
    FakeOutputView view;
    FakeUserListView users;
    ManualClock clock;
    ChatClient::Resolver resolver; // empty: a name resolves to itself
    ServerEnd server;
    FakeSocket* socket = nullptr;
    std::unique_ptr<ChatClient> client;

private:
    std::string programFolder_;
};
