#pragma once

#include "zone/Chat.h"
#include "zone/ZoneSession.h"
#include "zone/ZoneStartup.h"

#include "support/ConnectionHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One line as the output area shows it.
struct ShownLine {
    std::string text;
    Rgb colour;
    bool operator==(const ShownLine& o) const { return text == o.text && colour == o.colour; }
};

inline void PrintTo(const ShownLine& line, std::ostream* os)
{
    *os << '"' << line.text << "\" rgb(" << int(line.colour.r) << "," << int(line.colour.g) << "," << int(line.colour.b)
        << ")";
}

// A started zone on a scripted socket. Tests feed server packets straight into
// Dispatch and read back the lines shown, the user list and the zone packets sent.
class ZoneTest : public ::testing::Test {
protected:
    // The colour of a line whose pieces do not all share one.
    static constexpr Rgb kMixed{1, 2, 3};

    ZoneTest() { StartZone(*h, h.folder.Path()); }

    ZoneSession& Session() { return *SessionOf(*h); }
    ReceptionFilters& Filters() { return Session().filters; }
    void Feed(const Packet& packet) { h->Dispatch(packet); }
    void Write(const Settings::TextKey& key, const std::string& value)
    {
        h->Store().WriteString(key.group, key.key, value);
    }
    static Rgb Slot(int slot) { return ChatOutput::SlotColour(slot); }

    // The lines shown since the last call.
    std::vector<ShownLine> Shown()
    {
        while (h.output.QueuedPieces() > 0)
            h.output.FlushOneLine();
        std::vector<ShownLine> lines;
        for (; runsSeen_ < h.view.runs.size(); ++runsSeen_) {
            const FakeOutputView::Run& run = h.view.runs[runsSeen_];
            const bool breaks = !run.text.empty() && run.text[0] == '\n';
            if (breaks || lines.empty())
                lines.push_back({"", run.colour});
            else if (!(lines.back().colour == run.colour))
                lines.back().colour = kMixed;
            lines.back().text += run.text.substr(breaks ? 1 : 0);
        }
        return lines;
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> texts;
        for (const ShownLine& line : Shown())
            texts.push_back(line.text);
        return texts;
    }

    // Zone packets sent since the last call, reliable header taken off; core packets
    // (acknowledgements, synchronisation, disconnect) are left out.
    std::vector<Packet> SentZone()
    {
        std::vector<Packet> zone;
        for (const Packet& p : h.TakeSent()) {
            if (p.Size() > 6 && p.ReadU8(0) == 0x00 && p.ReadU8(1) == 0x03)
                zone.push_back(p.SubRange(6, 0));
            else if (!p.Empty() && p.ReadU8(0) != 0x00)
                zone.push_back(p);
        }
        return zone;
    }

    // A chat packet from the server (0x07), or to it (0x06) with the target's id.
    static Packet ChatPacket(int kind, uint16_t id, const std::string& text, uint8_t type = 0x07)
    {
        Packet p(5);
        p.WriteU8(type, 0);
        p.WriteU8(uint8_t(kind), 1);
        p.WriteU16(id, 3);
        p.AppendBytes(text + std::string(1, '\0'));
        return p;
    }

    struct Record {
        uint16_t id;
        std::string name;
        uint16_t frequency = 0;
        uint8_t ship = 8;
        std::string squad = "";
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
            p.WriteU16(e.id, base + 51);
            p.WriteU16(e.frequency, base + 53);
        }
        return p;
    }

    // Own id 1 ("Me", frequency 0, spectating) and the players given, all present.
    void EnterArenaWith(const std::vector<Record>& others)
    {
        Feed(HexPacket("01 0100"));
        std::vector<Record> all{{1, "Me"}};
        all.insert(all.end(), others.begin(), others.end());
        Feed(EnteringPacket(all));
        Shown();
    }

    ConnectionHarness h;

private:
    size_t runsSeen_ = 0;
};
