#pragma once

#include "zone/Chat.h"
#include "zone/ZoneSession.h"
#include "zone/ZoneStartup.h"

#include "support/ConnectionHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A piece of text as the output area shows it.
struct ShownPiece {
    std::string text;
    Rgb colour;
    bool operator==(const ShownPiece& o) const { return text == o.text && colour == o.colour; }
};

inline void PrintTo(const ShownPiece& piece, std::ostream* os)
{
    *os << '"' << piece.text << "\" rgb(" << int(piece.colour.r) << "," << int(piece.colour.g) << ","
        << int(piece.colour.b) << ")";
}

struct SentZonePacket {
    Packet packet; // the zone packet, reliable header taken off
    bool reliable = false;
};

// A started zone on a scripted socket. Tests feed server packets straight into
// Dispatch (or through the socket, encrypted, after a handshake) and read back
// the pieces shown, the user list and the zone packets sent.
class ZoneTest : public ::testing::Test {
protected:
    using Piece = ShownPiece;
    using Sent = SentZonePacket;

    ZoneTest() { StartZone(*h, h.folder.Path()); }

    ZoneSession& Session() { return *SessionOf(*h); }
    PlayerTable& Players() { return Session().players; }
    ReceptionFilters& Filters() { return Session().filters; }

    void Feed(const Packet& packet) { h->Dispatch(packet); }
    void Write(const Settings::TextKey& key, const std::string& value)
    {
        h->Store().WriteString(key.group, key.key, value);
    }

    // Each shown piece since the last call, with the line break it carries taken off.
    std::vector<Piece> Pieces()
    {
        while (h.output.QueuedPieces() > 0)
            h.output.FlushOneLine();
        std::vector<Piece> pieces;
        for (size_t i = runsSeen_; i < h.view.runs.size(); ++i) {
            std::string text = h.view.runs[i].text;
            if (!text.empty() && text[0] == '\n')
                text.erase(0, 1);
            pieces.push_back({text, h.view.runs[i].colour});
        }
        runsSeen_ = h.view.runs.size();
        return pieces;
    }
    // The pieces since the last call, joined into lines.
    std::vector<std::string> Lines()
    {
        while (h.output.QueuedPieces() > 0)
            h.output.FlushOneLine();
        std::vector<std::string> lines;
        bool open = false;
        for (size_t i = runsSeen_; i < h.view.runs.size(); ++i) {
            std::string text = h.view.runs[i].text;
            const bool breaks = !text.empty() && text[0] == '\n';
            if (breaks)
                text.erase(0, 1);
            if (breaks || !open)
                lines.push_back(text);
            else
                lines.back() += text;
            open = true;
        }
        runsSeen_ = h.view.runs.size();
        return lines;
    }

    // Zone packets sent since the last call; core packets (acknowledgements,
    // synchronisation, disconnect) are left out.
    std::vector<Sent> SentZone()
    {
        std::vector<Sent> zone;
        for (const Packet& p : h.TakeSent()) {
            if (p.Size() > 6 && p.ReadU8(0) == 0x00 && p.ReadU8(1) == 0x03)
                zone.push_back({p.SubRange(6, 0), true});
            else if (!p.Empty() && p.ReadU8(0) != 0x00)
                zone.push_back({p, false});
        }
        return zone;
    }

    static Rgb Slot(int slot) { return ChatOutput::SlotColour(slot); }

    static Packet ChatPacket(int kind, uint16_t sender, const std::string& text)
    {
        Packet p(5);
        p.WriteU8(0x07, 0);
        p.WriteU8(uint8_t(kind), 1);
        p.WriteU16(sender, 3);
        p.AppendBytes(text);
        p.AppendBytes(std::string(1, '\0'));
        return p;
    }

    struct Record {
        uint16_t id;
        std::string name;
        uint16_t frequency = 0;
        uint8_t ship = 8;
        std::string squad = "";
        uint32_t pointsA = 0, pointsB = 0;
        uint16_t wins = 0, losses = 0;
    };
    static Packet EnteringPacket(const std::vector<Record>& entries)
    {
        Packet p(uint32_t(64 * entries.size()));
        for (size_t i = 0; i < entries.size(); ++i) {
            const Record& e = entries[i];
            const uint32_t base = uint32_t(64 * i);
            p.WriteU8(0x03, base);
            p.WriteU8(e.ship, base + 1);
            p.WriteText(e.name, base + 3, 20);
            p.WriteText(e.squad, base + 23, 20);
            p.WriteU32(e.pointsA, base + 43);
            p.WriteU32(e.pointsB, base + 47);
            p.WriteU16(e.id, base + 51);
            p.WriteU16(e.frequency, base + 53);
            p.WriteU16(e.wins, base + 55);
            p.WriteU16(e.losses, base + 57);
        }
        return p;
    }
    static Packet OwnIdPacket(uint16_t id)
    {
        return Packet::FromString(std::string{char(0x01), char(id), char(id >> 8)});
    }
    static Packet IdPacket(uint8_t type, uint16_t id)
    {
        Packet p(3);
        p.WriteU8(type, 0);
        p.WriteU16(id, 1);
        return p;
    }
    static Packet FrequencyPacket(uint16_t id, uint16_t frequency)
    {
        Packet p(5);
        p.WriteU8(0x0D, 0);
        p.WriteU16(id, 1);
        p.WriteU16(frequency, 3);
        return p;
    }
    static Packet ShipPacket(uint16_t id, uint8_t ship, uint16_t frequency)
    {
        Packet p(6);
        p.WriteU8(0x1D, 0);
        p.WriteU8(ship, 1);
        p.WriteU16(id, 2);
        p.WriteU16(frequency, 4);
        return p;
    }
    // Arena settings of full length, with the position interval and the chat reliability byte.
    static Packet ArenaSettingsPacket(uint16_t positionInterval, uint8_t reliableChat, uint32_t size = 1428)
    {
        Packet p(size);
        p.WriteU8(0x0F, 0);
        p.WriteU16(positionInterval, 1256);
        p.WriteU8(reliableChat, 1378);
        return p;
    }

    // Own id 1 ("Me", frequency 0, spectating) and the players given, all present.
    void EnterArenaWith(const std::vector<Record>& others)
    {
        Feed(OwnIdPacket(1));
        std::vector<Record> all{{1, "Me"}};
        all.insert(all.end(), others.begin(), others.end());
        Feed(EnteringPacket(all));
        Pieces();
    }

    ConnectionHarness h;

private:
    size_t runsSeen_ = 0;
};
