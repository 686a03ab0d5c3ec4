// The input line: what the user types, letter by letter, with the field's
// colouring and the "::" completion of recent private senders answering every
// change as the GUI applies them, then Enter routing the line by its first
// character. The senders' names come from the server, so they can be anything.
//
// Input: a byte n, then n names (up to four) separated by zero bytes: players
// who enter the arena and send the user a private message, so that they become
// recent senders. Then lines separated by line feeds; the first byte of each
// picks the user list's selection (low two bits: none, or one of the first
// three players present; bit 2: instead, the rest of the line itself).

#include "FuzzSession.h"

#include "console/InputRouting.h"
#include "support/ZonePackets.h"
#include "zone/Chat.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxNames = 4;
constexpr size_t kMaxLines = 32;
// The field holds at most this many characters.
constexpr size_t kFieldLimit = 255;
// A change the GUI makes to the field is itself a change; completion must settle.
constexpr int kMaxNestedChanges = 8;

Packet PrivateFrom(uint16_t id, const std::string& text) { return ChatPacket(kChatPrivate, id, text); }

// The field's text change handler as the GUI runs it: a completion replaces the
// text, and the replacement is handled as a change of its own, straight away.
// Returns the field's text afterwards.
std::string TextChanged(InputAssist& assist, RecentSenders& senders, const std::string& text, int depth = 0)
{
    FUZZ_CHECK(depth < kMaxNestedChanges);
    const InputAssist::Change change = assist.OnInputChanged(text, &senders);
    return change.newText ? TextChanged(assist, senders, change.newText->substr(0, kFieldLimit), depth + 1) : text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzSession session;
    session.Handshake(0x1234ABCD);

    std::vector<std::string> names;
    const size_t count = in.Byte() % (kMaxNames + 1);
    for (size_t i = 0; i < count; ++i)
        names.push_back(in.Until('\0').substr(0, Player::kMaxName));
    session.EnterArena(names);
    for (size_t i = 0; i < names.size(); ++i)
        session.Zone().OnZonePacket(PrivateFrom(uint16_t(100 + i), "psst"));
    session.FlushOutput();

    const std::vector<std::string> present = {"Muted Mike", "Talker", "Edge Case"};
    InputAssist assist;
    RecentSenders& senders = session.Zone().recentSenders;
    for (size_t n = 0; n < kMaxLines && !in.Empty(); ++n) {
        const uint8_t pick = in.Byte();
        const std::string line = in.Until('\n').substr(0, kFieldLimit);
        std::optional<std::string> selected;
        if (pick & 4)
            selected = line;
        else if ((pick & 3) != 0)
            selected = present[(pick & 3) - 1];

        std::string field;
        for (const char c : line) {
            if (field.size() < kFieldLimit)
                field = TextChanged(assist, senders, field + c);
        }
        if (SubmitInputText(session.Client().Commands(), field, selected))
            TextChanged(assist, senders, std::string());
        session.Ticks(3);
    }
    session.FlushOutput();
    session.CheckBounds();
    session.ShowIfAsked();
    return 0;
}
