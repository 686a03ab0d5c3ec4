// Chat both ways as the user meets it: what the zone sends shows as its lines,
// each kind of typed line reaches the zone as its packet, "?arena" and "?go"
// talk to the zone, and a logged conversation is on disk as the window shows it.

#include "ZoneClientFixture.h"
#include "support/SlotColours.h"

#include <filesystem>
#include <optional>

namespace {

constexpr uint16_t kBob = 20;
constexpr uint16_t kBobFrequency = 3;
constexpr uint16_t kCarl = 21;

Packet ChatPacket(uint8_t kind, uint16_t target, const std::string& text)
{
    Packet packet(uint32_t(text.size()) + 6);
    packet.WriteU8(0x06, 0);
    packet.WriteU8(kind, 1);
    packet.WriteU16(target, 3);
    packet.WriteText(text, 5, 0);
    return packet;
}

class ConsoleEndToEnd : public ZoneClientTest {
protected:
    void SetUp() override
    {
        // Packet.log is written to the working directory.
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(sandbox.Path());
        ArenaScript script;
        script.players.resize(2);
        script.players[0].id = kBob;
        script.players[0].name = "Bob";
        script.players[0].frequency = kBobFrequency;
        script.players[1].id = kCarl;
        script.players[1].name = "Carl";
        script.players[1].ship = 8;
        script.arenas = {{"0", 0}, {"1", 2}, {"duel", 5}};
        Start(script);
        ASSERT_TRUE(EnterArena());
        NewLines();
        server->ClearHeard();
    }
    void TearDown() override { std::filesystem::current_path(oldCwd_); }

    // Enter in the input line with `selected` chosen in the user list; true when the field would be cleared.
    bool Type(const std::string& line, std::optional<std::string> selected = std::nullopt)
    {
        return client->Submit(line, selected);
    }

private:
    std::filesystem::path oldCwd_;
};

TEST_F(ConsoleEndToEnd, ALoggedConversationOfEveryKindIsOnTheWireAndOnDiskAsTheWindowShowsIt)
{
    EXPECT_TRUE(Type("?log"));
    // Every kind from the zone, 10 being none the client knows.
    for (uint8_t kind = 0; kind <= 10; ++kind) {
        const uint16_t sender = (kind >= 1 && kind <= 5) || kind == 10 ? kBob : 0;
        server->SendChat(kind, sender,
                         kind == 7   ? "(Faraway)>hi from afar"
                         : kind == 9 ? "1:Faraway> on one"
                                     : "kind " + std::to_string(kind));
    }
    server->SendChat(2, 600, "from outside the table");
    ASSERT_TRUE(SettleDown());
    EXPECT_TRUE(Type("hello all"));
    EXPECT_TRUE(Type("'team talk"));
    EXPECT_TRUE(Type("\"to bob's team", "bob"));
    EXPECT_TRUE(Type("/psst", "Bob"));
    EXPECT_TRUE(Type(":Faraway:remote hi"));
    EXPECT_TRUE(Type(":carl:hi carl"));
    EXPECT_TRUE(Type(":just a colon"));
    EXPECT_TRUE(Type(";channel one"));
    EXPECT_TRUE(Type(";4;channel four"));
    EXPECT_TRUE(Type("?lag"));
    EXPECT_TRUE(Type("/" + std::string(299, 'x'), "Bob"));
    EXPECT_FALSE(Type("/nobody selected"));
    EXPECT_FALSE(Type("'"));
    EXPECT_TRUE(Type("?away out for lunch"));
    server->SendChat(5, kBob, "still there?");
    server->SendChat(5, kBob, "hello?"); // within the minute: not answered again
    ASSERT_TRUE(SettleDown());
    EXPECT_TRUE(Type("?nopubchat")); // the client's own: not sent
    EXPECT_TRUE(Type("=2"));
    ASSERT_TRUE(StepUntil([this] { return Zone().players.Get(1)->frequency == 2 && Settled(); }, 5000));
    EXPECT_TRUE(Type("?log"));

    EXPECT_EQ(ChatPackets(), (std::vector<Packet>{
                                 ChatPacket(2, 0, "hello all"),
                                 ChatPacket(3, 0, "team talk"),
                                 ChatPacket(4, kBobFrequency, "to bob's team"),
                                 ChatPacket(5, kBob, "psst"),
                                 ChatPacket(7, 0, ":Faraway:remote hi"),
                                 ChatPacket(5, kCarl, "hi carl"),
                                 ChatPacket(2, 0, ":just a colon"),
                                 ChatPacket(9, 0, ";1;channel one"),
                                 ChatPacket(9, 0, ";4;channel four"),
                                 ChatPacket(2, 0, "?lag"),
                                 ChatPacket(5, kBob, std::string(249, 'x')),
                                 ChatPacket(5, kBob, "out for lunch"),
                             }));
    for (const HeardChat& chat : server->Chats())
        EXPECT_TRUE(chat.via.reliable) << chat.text;
    ASSERT_EQ(server->FrequencyRequests().size(), 1u);
    EXPECT_EQ(server->FrequencyRequests()[0].packet, Packet::FromString(std::string("\x0F\x02\x00", 3)));

    const std::string bob = std::string(17, ' ') + "Bob> ";
    const std::string me = std::string(14, ' ') + "Tester> ";
    const std::pair<int, std::string> window[] = {
        {0, "Opened Logfile: session.log"},
        {0, "kind 0"},
        {1, bob + "kind 1"},
        {2, bob + "kind 2"},
        {3, bob + "kind 3"},
        {4, bob + "kind 4"},
        {5, bob + "kind 5"},
        {6, "kind 6"},
        {7, "(Faraway)>hi from afar"},
        {8, "kind 8"},
        {9, "1:Faraway> on one"},
        {2, std::string(20, ' ') + "> from outside the table"},
        {2, me + "hello all"},
        {3, me + "team talk"},
        {4, me + "to bob's team"},
        {5, me + "psst"},
        {7, ":Faraway:remote hi"},
        {5, me + "hi carl"},
        {2, me + ":just a colon"},
        {9, "1:Tester> channel one"},
        {9, "4:Tester> channel four"},
        {2, me + "?lag"},
        {5, me + std::string(249, 'x')},
        {kSlotWhite, "ERROR: No User Selected for Private Message."},
        {0, "Away Message Activated."},
        {5, bob + "still there?"},
        {5, me + "out for lunch"},
        {5, bob + "hello?"},
        {0, "Public chat Disabled."},
        {0, "Changing to Frequency: 2"},
        {0, "Closed Logfile: session.log"},
    };
    std::vector<std::string> texts;
    std::vector<Rgb> colours;
    for (const auto& line : window) {
        colours.push_back(Seen::OfSlot(line.first));
        texts.push_back(line.second);
    }
    EXPECT_EQ(NewLines(), texts);
    EXPECT_EQ(lineColours, colours);

    // The file holds every line up to the closing one, each ended by CR LF.
    std::vector<std::string> logged(texts.begin(), texts.end() - 1);
    logged.push_back("");
    const std::string log = ReadWholeFile(program + "Logs/session.log");
    EXPECT_EQ(SplitLines(log, "\r\n"), logged);
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ConsoleEndToEnd, ArenaListShowsTheZonesArenasAndGoMovesToAnother)
{
    Set(Settings::UserChats, "1;2");
    EXPECT_TRUE(Type("?arena"));
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(NewLines(), (std::vector<std::string>{std::string(14, ' ') + "Tester> ?arena",
                                                    "Arenas: Public 0 (*) (3), Public 1 (2), duel (5)"}));
    EXPECT_NE(ReadWholeFile(sandbox.Path() + "Packet.log").find("S2C\r\n---\r\n0000   2F "), std::string::npos);

    EXPECT_TRUE(Type("?go duel"));
    EXPECT_FALSE(Zone().InArena()); // until the zone says it arrived
    EXPECT_TRUE(users.entries.empty());
    ASSERT_TRUE(InArena());
    ASSERT_EQ(server->ArenaLeaves().size(), 1u);
    EXPECT_TRUE(server->ArenaLeaves()[0].via.reliable);
    ASSERT_EQ(server->ArenaEntries().size(), 1u);
    EXPECT_EQ(server->ArenaEntries()[0].name, "duel");
    EXPECT_EQ(users.Names(), (std::vector<std::string>{"Bob", "Carl", "Tester"}));
    // The new entry ran the automation again.
    std::vector<std::string> chats;
    for (const HeardChat& chat : server->Chats())
        chats.push_back(chat.text);
    EXPECT_EQ(chats, (std::vector<std::string>{"?arena", "?chat=1;2"}));

    EXPECT_TRUE(Type("?arena"));
    ASSERT_TRUE(SettleDown());
    const std::vector<std::string> lines = NewLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Moving to arena 'duel'.");
    EXPECT_EQ(lines.back(), "Arenas: Public 0 (0), Public 1 (2), duel (*) (3)");
    EXPECT_TRUE(sim->Violations().empty());
}

} // namespace
