// What the user types, end to end: each kind of line reaches the zone as its
// packet, the local commands act on the client, "?arena" and "?go" talk to the
// zone, and a logged conversation is on disk exactly as the window shows it.

#include "ZoneClientFixture.h"

#include "console/InputRouting.h"

#include <filesystem>
#include <optional>
#include <sstream>

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

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

class ConsoleEndToEnd : public ZoneClientTest {
protected:
    void SetUp() override
    {
        // Packet.log is written to the working directory.
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(sandbox.Path());
        Set(Settings::UserName, "Tester");
    }
    void TearDown() override { std::filesystem::current_path(oldCwd_); }

    static ArenaScript Arena()
    {
        ArenaScript script;
        script.ownId = 1;
        SimPlayer bob;
        bob.id = kBob;
        bob.name = "Bob";
        bob.frequency = kBobFrequency;
        SimPlayer carl;
        carl.id = kCarl;
        carl.name = "Carl";
        carl.ship = 8;
        script.players = {bob, carl};
        script.arenas = {{"0", 0}, {"1", 2}, {"duel", 5}};
        return script;
    }

    void Enter()
    {
        Start(Arena());
        ASSERT_TRUE(EnterArena());
        server->ClearHeard();
    }

    // Enter in the input line with `selected` chosen in the user list; true when the field would be cleared.
    bool Type(const std::string& line, std::optional<std::string> selected = std::nullopt)
    {
        return SubmitInputText(*connection, line, selected);
    }

    std::vector<Packet> ChatPackets() const
    {
        std::vector<Packet> packets;
        for (const HeardChat& chat : server->Chats())
            packets.push_back(chat.packet);
        return packets;
    }

private:
    std::filesystem::path oldCwd_;
};

TEST_F(ConsoleEndToEnd, EveryKindOfTypedLineReachesTheZoneAsItsPacket)
{
    Enter();
    NewLines();
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
    EXPECT_TRUE(Type("?nopubchat")); // the client's own: not sent
    EXPECT_FALSE(Type("/nobody selected"));
    EXPECT_FALSE(Type("'"));
    EXPECT_TRUE(Type("=2"));
    ASSERT_TRUE(StepUntil([this] { return Me()->frequency == 2 && Settled(); }, 5000));

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
                             }));
    for (const HeardChat& chat : server->Chats())
        EXPECT_TRUE(chat.via.reliable) << chat.text;
    ASSERT_EQ(server->FrequencyRequests().size(), 1u);
    EXPECT_EQ(server->FrequencyRequests()[0].packet, Packet::FromString(std::string("\x0F\x02\x00", 3)));

    const std::string me = std::string(14, ' ') + "Tester> ";
    EXPECT_EQ(NewTexts(), (std::vector<std::string>{
                              me + "hello all",
                              me + "team talk",
                              me + "to bob's team",
                              me + "psst",
                              ":Faraway:remote hi",
                              me + "hi carl",
                              me + ":just a colon",
                              "1:Tester> channel one",
                              "4:Tester> channel four",
                              me + "?lag",
                              "Public chat Disabled.",
                              "ERROR: No User Selected for Private Message.",
                              "Changing to Frequency: 2",
                          }));
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ConsoleEndToEnd, ArenaListAndAMoveToAnotherArena)
{
    Set(Settings::UserChats, "1;2");
    Enter();
    NewLines();
    EXPECT_TRUE(Type("?arena"));
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(NewTexts(), (std::vector<std::string>{std::string(14, ' ') + "Tester> ?arena",
                                                    "Arenas: Public 0 (*) (3), Public 1 (2), duel (5)"}));
    EXPECT_NE(ReadWholeFile(sandbox.Path() + "Packet.log").find("S2C\r\n---\r\n0000   2F "), std::string::npos);

    EXPECT_TRUE(Type("?go duel"));
    EXPECT_FALSE(connection->InArena());
    EXPECT_TRUE(users.entries.empty());
    ASSERT_TRUE(InArena());
    ASSERT_EQ(server->ArenaLeaves().size(), 1u);
    EXPECT_TRUE(server->ArenaLeaves()[0].via.reliable);
    ASSERT_EQ(server->ArenaEntries().size(), 1u);
    EXPECT_EQ(server->ArenaEntries()[0].form, ArenaForm::Named);
    EXPECT_EQ(server->ArenaEntries()[0].name, "duel");
    EXPECT_EQ(server->CurrentArena(), "duel");
    EXPECT_EQ(users.Names(), (std::vector<std::string>{"Bob", "Carl", "Tester"}));

    // The new entry ran the automation again.
    std::vector<std::string> chats;
    for (const HeardChat& chat : server->Chats())
        chats.push_back(chat.text);
    EXPECT_EQ(chats, (std::vector<std::string>{"?arena", "?chat=1;2"}));

    EXPECT_TRUE(Type("?arena"));
    ASSERT_TRUE(SettleDown());
    std::vector<std::string> texts = NewTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Moving to arena 'duel'.");
    EXPECT_EQ(texts.back(), "Arenas: Public 0 (0), Public 1 (2), duel (*) (3)");
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ConsoleEndToEnd, ALoggedConversationIsOnDiskLineForLineAsTheWindowShowsIt)
{
    Enter();
    EXPECT_TRUE(Type("?log"));
    server->SendChat(2, kBob, "hi Tester");
    server->SendChat(5, kBob, "a secret");
    server->SendChat(0, 0, "Arena notice");
    server->SendChat(9, 0, "2:Faraway> channel two");
    ASSERT_TRUE(SettleDown());
    EXPECT_TRUE(Type("hello Bob"));
    EXPECT_TRUE(Type("/my secret too", "Bob"));
    EXPECT_TRUE(Type(";2;back on two"));
    EXPECT_TRUE(Type("?away out for lunch"));
    server->SendChat(5, kBob, "still there?"); // answered while away
    EXPECT_TRUE(Type("?arena"));
    EXPECT_FALSE(Type("\"no team"));
    EXPECT_TRUE(Type("?nochat"));
    EXPECT_TRUE(Type("=1"));
    ASSERT_TRUE(SettleDown());
    EXPECT_TRUE(Type("?log"));
    ASSERT_TRUE(SettleDown());

    // The window's lines from the opening of the log to the line before its closing.
    NewLines();
    const std::vector<std::string> shown = SplitLines(view.ShownText(), "\n");
    const auto opened = std::find(shown.begin(), shown.end(), "Opened Logfile: session.log");
    const auto closed = std::find(shown.begin(), shown.end(), "Closed Logfile: session.log");
    ASSERT_NE(opened, shown.end());
    ASSERT_NE(closed, shown.end());
    std::vector<std::string> windowLines(opened, closed);
    windowLines.push_back(""); // the log's last line ends too

    const std::string log = ReadWholeFile(program + "Logs/session.log");
    EXPECT_EQ(SplitLines(log, "\r\n"), windowLines);
    EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1);
    // A long enough conversation to mean something: every kind of line above.
    EXPECT_GE(windowLines.size(), 25u);
    EXPECT_NE(log.find("Arenas: Public 0 (*) (3)"), std::string::npos);
    EXPECT_NE(log.find("                 Bob> still there?\r\n              Tester> out for lunch\r\n"),
              std::string::npos);
}

} // namespace
