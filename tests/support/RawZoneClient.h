#pragma once

#include "transport/Cipher.h"
#include "transport/Packet.h"

#include <cstdint>
#include <string>
#include <vector>

// A bare client for testing the zone simulator at the packet level: a UDP socket
// connected to the simulator, and the client's cipher rule (the key request in
// the clear, everything after encrypted with the server's key). Tests build and
// check every packet by hand.
class RawZoneClient {
public:
    explicit RawZoneClient(uint16_t serverPort);
    ~RawZoneClient();
    RawZoneClient(const RawZoneClient&) = delete;
    RawZoneClient& operator=(const RawZoneClient&) = delete;

    bool IsOpen() const { return handle_ >= 0; }
    Cipher& Crypt() { return cipher_; }

    // Encrypted when the cipher runs, as the client's send path does.
    void Send(const Packet& packet);
    void SendClear(const Packet& packet);
    // Every datagram waiting (the simulator's poll has already put them there),
    // decrypted when the cipher runs.
    std::vector<Packet> ReceiveAll();

    // Sends the key request, lets `poll` run the simulator once, and starts the
    // cipher with the key of the response. Returns the response (empty if none).
    template <class Poll> Packet Handshake(uint32_t clientKey, Poll poll)
    {
        SendClear(KeyRequest(clientKey));
        poll();
        for (const Packet& packet : ReceiveAll())
            if (packet.ReadU8(0) == 0x00 && packet.ReadU8(1) == 0x02) {
                cipher_.Start(packet.ReadU32(2));
                return packet;
            }
        return Packet();
    }

    // Packets as the client builds them.
    static Packet KeyRequest(uint32_t key, uint16_t version = 1);
    static Packet Reliable(uint32_t number, const Packet& payload);
    static Packet Ack(uint32_t number);
    static Packet Core(uint8_t type, const Packet& body = Packet());
    // "00 03 01000000 07": hex digits, spaces ignored.
    static Packet Hex(const std::string& hex);

private:
    int handle_ = -1;
    Cipher cipher_;
};
