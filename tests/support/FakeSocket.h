#pragma once

#include "transport/DatagramSocket.h"

#include <deque>
#include <string>
#include <vector>

// A scripted socket: tests queue the datagrams the server sends and read back
// every datagram the client handed over, as it went on the wire.
class FakeSocket final : public DatagramSocket {
public:
    bool Open(const std::string& host, uint16_t port) override
    {
        ++opens;
        openedHost = host;
        openedPort = port;
        return openSucceeds;
    }
    void Send(const Packet& packet) override
    {
        sent.push_back(packet);
        if (mirror != nullptr)
            mirror->push_back(packet);
    }
    uint32_t Receive(Packet& packet) override
    {
        if (inbox.empty())
            return 0;
        const Packet datagram = inbox.front();
        inbox.pop_front();
        if (datagram.Empty() || datagram.Size() > kMaxDatagram)
            return 0;
        packet = datagram;
        return datagram.Size();
    }
    bool Readable() override { return !inbox.empty(); }

    bool openSucceeds = true;
    int opens = 0;
    std::string openedHost;
    uint16_t openedPort = 0;
    std::deque<Packet> inbox;
    std::vector<Packet> sent;
    // Also records into a list that outlives the socket (for what goes out at destruction).
    std::vector<Packet>* mirror = nullptr;
};
