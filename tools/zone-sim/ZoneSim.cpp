#include "ZoneSim.h"

#include <cstdio>

namespace {

std::string Hex32(uint32_t value)
{
    char text[11];
    std::snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}

} // namespace

ZoneSim::ZoneSim(const Clock& clock, ZoneSimOptions options)
    : clock_(clock), options_(std::move(options)), toServer_(options_.seed), toClient_(options_.seed ^ 0x9E3779B9u)
{
    toServer_.SetFaults(options_.toServer);
    toClient_.SetFaults(options_.toClient);
    if (socket_.Bind(options_.host, options_.port))
        Log("listening on " + options_.host + ":" + std::to_string(socket_.Port()));
    else
        Log("cannot listen on " + options_.host + ":" + std::to_string(options_.port));
}

ZoneSim::~ZoneSim() = default;

void ZoneSim::SetFaults(const LinkFaults& toServer, const LinkFaults& toClient)
{
    toServer_.SetFaults(toServer);
    toClient_.SetFaults(toClient);
}

void ZoneSim::Handle(uint8_t type, ZoneHandler handler) { handlers_[type] = std::move(handler); }

void ZoneSim::Poll()
{
    Packet bytes;
    Endpoint from;
    for (int i = 0; i < kMaxReceivesPerPoll && socket_.ReceiveFrom(bytes, from); ++i)
        toServer_.Push({bytes, from}, Now());
    for (const Datagram& datagram : toServer_.Take(Now()))
        Route(datagram);
    for (auto& entry : sessions_)
        entry.second->Run();
    if (pollHook_)
        pollHook_();
    Flush();
}

void ZoneSim::Route(const Datagram& datagram)
{
    if (datagram.bytes.Size() > SimSession::kMaxDatagram) {
        Violation("datagram of " + std::to_string(datagram.bytes.Size()) + " bytes from " + datagram.peer.ToString());
        return;
    }
    auto found = sessions_.find(datagram.peer);
    if (found == sessions_.end()) {
        // Only a key request opens a connection; anything else from a stranger is ignored.
        const bool keyRequest = datagram.bytes.ReadU8(0) == 0x00 && datagram.bytes.ReadU8(1) == 0x01;
        if (!keyRequest || !MakeRoom())
            return;
        found = sessions_.emplace(datagram.peer, std::make_unique<SimSession>(*this, datagram.peer)).first;
    }
    found->second->Receive(datagram.bytes);
}

bool ZoneSim::MakeRoom()
{
    if (sessions_.size() < kMaxSessions)
        return true;
    // A finished connection makes way; the current peer stays, tests hold on to it.
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it)
        if (!it->second->Connected() && it->second.get() != peer_) {
            sessions_.erase(it);
            return true;
        }
    return false;
}

void ZoneSim::Transmit(const Endpoint& peer, const Packet& bytes)
{
    toClient_.Push({bytes, peer}, Now());
    Flush();
}

void ZoneSim::Flush()
{
    for (const Datagram& datagram : toClient_.Take(Now()))
        socket_.SendTo(datagram.bytes, datagram.peer);
}

bool ZoneSim::SendZone(const Packet& packet, bool reliable)
{
    if (peer_ == nullptr)
        return false;
    peer_->SendZone(packet, reliable);
    return true;
}

std::vector<Packet> ZoneSim::ReceivedOfType(uint8_t type) const
{
    std::vector<Packet> packets;
    for (const ZonePacket& zone : received_)
        if (zone.type == type)
            packets.push_back(zone.bytes);
    return packets;
}

void ZoneSim::ZoneArrived(SimSession& session, const Packet& packet, Arrival via)
{
    const uint8_t type = packet.ReadU8(0);
    received_.push_back({type, packet, via, Now()});
    current_ = via;
    Log("zone packet from " + session.Peer().ToString() + ": " + ToHex(packet.SubRange(0, 64)) +
        (packet.Size() > 64 ? "... (" + std::to_string(packet.Size()) + " bytes)" : ""));
    if (handlers_[type])
        handlers_[type](session, packet);
}

void ZoneSim::KeyExchanged(SimSession& session)
{
    ++handshakes_;
    peer_ = &session;
    Log("key exchange with " + session.Peer().ToString() + ": client key " + Hex32(session.ClientKey()) +
        ", server key " + Hex32(session.ServerKey()));
}

void ZoneSim::Violation(const std::string& what)
{
    violations_.push_back(what);
    Log("VIOLATION: " + what);
}

void ZoneSim::Log(const std::string& line) const
{
    if (options_.log)
        options_.log(line);
}

uint32_t ZoneSim::ServerKeyFor(uint32_t clientKey) const
{
    return options_.serverKey ? options_.serverKey(clientKey) : 0u - clientKey;
}
