#include "support/RawZoneClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

RawZoneClient::RawZoneClient(uint16_t serverPort)
{
    const int handle = socket(AF_INET, SOCK_DGRAM, 0);
    if (handle < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(serverPort);
    if (connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(handle);
        return;
    }
    handle_ = handle;
}

RawZoneClient::~RawZoneClient()
{
    if (handle_ >= 0)
        close(handle_);
}

void RawZoneClient::Send(const Packet& packet)
{
    Packet wire = packet;
    cipher_.Encrypt(wire);
    SendClear(wire);
}

void RawZoneClient::SendClear(const Packet& packet)
{
    if (handle_ >= 0)
        send(handle_, packet.Data(), packet.Size(), 0);
}

std::vector<Packet> RawZoneClient::ReceiveAll()
{
    std::vector<Packet> packets;
    uint8_t buffer[2048];
    for (;;) {
        const ssize_t got = recv(handle_, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got < 0)
            break;
        Packet packet(buffer, uint32_t(got));
        cipher_.Decrypt(packet);
        packets.push_back(packet);
    }
    return packets;
}

Packet RawZoneClient::KeyRequest(uint32_t key, uint16_t version)
{
    Packet request = Core(0x01, Packet(6));
    request.WriteU32(key, 2);
    request.WriteU16(version, 6);
    return request;
}

Packet RawZoneClient::Reliable(uint32_t number, const Packet& payload)
{
    Packet packet = Core(0x03, Packet(4));
    packet.WriteU32(number, 2);
    packet.Append(payload);
    return packet;
}

Packet RawZoneClient::Ack(uint32_t number)
{
    Packet packet = Core(0x04, Packet(4));
    packet.WriteU32(number, 2);
    return packet;
}

Packet RawZoneClient::Core(uint8_t type, const Packet& body)
{
    Packet packet(2);
    packet.WriteU8(type, 1);
    packet.Append(body);
    return packet;
}

Packet RawZoneClient::Hex(const std::string& hex)
{
    std::string digits;
    for (const char c : hex)
        if (c != ' ')
            digits += c;
    Packet packet;
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        const uint8_t b = uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16));
        packet.AppendBytes(&b, 1);
    }
    return packet;
}
