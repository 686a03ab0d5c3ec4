#pragma once

#include "console/ChatOutput.h"
#include "transport/Cipher.h"
#include "transport/Clock.h"
#include "transport/Connection.h"

#include "support/FakeSocket.h"
#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

// A Connection on a scripted socket, a hand-moved clock, recording views, its
// own settings (HOME points at a temporary folder) and a temporary program
// folder. The harness plays the server's side of the cipher, so tests write and
// read plain packets.
class ConnectionHarness {
public:
    ConnectionHarness()
    {
        Connection::ResetProcessStateForTests();
        auto fake = std::make_unique<FakeSocket>();
        socket = fake.get();
        connection = std::make_unique<Connection>(output, std::move(fake), clock);
        connection->CreateProgramFolder(folder.Path());
    }
    ~ConnectionHarness()
    {
        connection.reset();
        Connection::ResetProcessStateForTests();
    }
    ConnectionHarness(const ConnectionHarness&) = delete;
    ConnectionHarness& operator=(const ConnectionHarness&) = delete;

    Connection& operator*() { return *connection; }
    Connection* operator->() { return connection.get(); }

    // Connect as the frame does, and answer the key exchange with `serverKey`.
    void Handshake(uint32_t serverKey = 0x1234ABCD)
    {
        connection->OpenSocket();
        connection->BeginConnection();
        Packet response(6);
        response.WriteU8(0x00, 0);
        response.WriteU8(0x02, 1);
        response.WriteU32(serverKey, 2);
        ServerSends(response);
        serverCipher.Start(serverKey);
    }

    // One datagram from the server, received at once.
    void ServerSends(const Packet& packet)
    {
        Queue(packet);
        connection->ReceiveOne();
    }
    // Queued in the socket only; the next poll finds it.
    void Queue(const Packet& packet)
    {
        Packet wire(packet);
        serverCipher.Encrypt(wire);
        socket->inbox.push_back(wire);
    }

    // What the frame timer does, `n` times; the clock moves one hundredth per tick.
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.Advance(1);
            if (connection->PollReadable())
                connection->ReceiveOne();
            connection->Tick();
        }
    }

    // Everything sent since the last call, as the server reads it.
    std::vector<Packet> TakeSent()
    {
        std::vector<Packet> plain;
        for (Packet p : socket->sent) {
            serverCipher.Decrypt(p);
            plain.push_back(p);
        }
        socket->sent.clear();
        return plain;
    }

    // Every line shown since the last ClearLines (the output queue is flushed first).
    std::vector<std::string> Lines()
    {
        while (output.QueuedPieces() > 0)
            output.FlushOneLine();
        std::vector<std::string> lines;
        std::istringstream text(view.ShownText());
        std::string line;
        for (size_t n = 0; std::getline(text, line); ++n)
            if (n >= linesCleared_)
                lines.push_back(line);
        return lines;
    }
    void ClearLines() { linesCleared_ += Lines().size(); }

    TempHome home;
    TempDir folder;
    FakeOutputView view;
    FakeUserListView users;
    ChatOutput output{view, users, folder.Path()};
    ManualClock clock;
    Cipher serverCipher;
    FakeSocket* socket = nullptr;
    std::unique_ptr<Connection> connection;

private:
    size_t linesCleared_ = 0;
};

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
