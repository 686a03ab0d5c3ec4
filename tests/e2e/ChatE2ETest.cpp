// Chat both ways, end to end: what the zone sends shows as its lines, what the
// user sends arrives as its packets.

#include "ZoneClientFixture.h"

#include "zone/Chat.h"

namespace {

constexpr uint16_t kBob = 20;
constexpr uint16_t kLongName = 21;

// The client's chat packet, laid out by hand.
Packet ChatPacket(uint8_t kind, uint16_t target, const std::string& text)
{
    Packet packet(uint32_t(text.size()) + 6);
    packet.WriteU8(0x06, 0);
    packet.WriteU8(kind, 1);
    packet.WriteU16(target, 3);
    packet.WriteText(text, 5, 0);
    return packet;
}

class ChatEndToEnd : public ZoneClientTest {
protected:
    static ArenaScript Arena(uint8_t reliableChat = 1)
    {
        ArenaScript script;
        script.ownId = 1;
        script.reliableChat = reliableChat;
        SimPlayer bob;
        bob.id = kBob;
        bob.name = "Bob";
        SimPlayer longName;
        longName.id = kLongName;
        longName.name = "TwentyCharacterName!";
        longName.frequency = 3;
        script.players = {bob, longName};
        return script;
    }

    void SetUp() override { Set(Settings::UserName, "Tester"); }

    void Enter(const ArenaScript& script, const LinkFaults& faults = LinkFaults{}, uint32_t seed = 1)
    {
        ZoneSimOptions options;
        options.seed = seed;
        Start(script, options);
        ASSERT_TRUE(EnterArena(faults));
        NewLines();
        server->ClearHeard();
    }

    std::vector<Packet> ChatPackets() const
    {
        std::vector<Packet> packets;
        for (const HeardChat& chat : server->Chats())
            packets.push_back(chat.packet);
        return packets;
    }
};

TEST_F(ChatEndToEnd, ChatOfAllTenKindsShowsAsItsLines)
{
    Enter(Arena());
    server->SendChat(0, 0, "Arena message");
    server->SendChat(1, kBob, "macro");
    server->SendChat(2, kBob, "hello all");
    server->SendChat(2, kLongName, "no padding");
    server->SendChat(3, kBob, "team talk");
    server->SendChat(4, kBob, "freq talk");
    server->SendChat(5, kBob, "psst");
    server->SendChat(6, 0, "Server notice");
    server->SendChat(7, 0, "(Faraway)>hi from afar");
    server->SendChat(8, 0, "Sysop warning");
    server->SendChat(9, 0, "1:Faraway> channel one");
    server->SendChat(10, kBob, "no such kind");
    server->SendChat(2, 600, "from outside the table");
    server->SendChat(2, 50, "from a free slot");
    ASSERT_TRUE(SettleDown());

    EXPECT_EQ(NewLines(), (std::vector<Line>{
                              Whole("Arena message", 0),
                              FromPlayer("Bob", "macro", 1),
                              FromPlayer("Bob", "hello all", 2),
                              FromPlayer("TwentyCharacterName!", "no padding", 2),
                              FromPlayer("Bob", "team talk", 3),
                              FromPlayer("Bob", "freq talk", 4),
                              FromPlayer("Bob", "psst", 5),
                              Whole("Server notice", 6),
                              Whole("(Faraway)>hi from afar", 7),
                              Whole("Sysop warning", 8),
                              Whole("1:Faraway> channel one", 9),
                              FromPlayer("", "from outside the table", 2),
                              FromPlayer("", "from a free slot", 2),
                          }));
    EXPECT_EQ(Zone().recentSenders.Names(), (std::deque<std::string>{"Faraway", "Bob"}));
    EXPECT_TRUE(server->Chats().empty()); // nobody is away
}

TEST_F(ChatEndToEnd, ChatOfEveryKindArrivesAsItsPacketAndEchoes)
{
    Enter(Arena());
    SendChat(*connection, "to the arena", 0, 0, false);
    SendChat(*connection, "macro", 1, 0, false);
    SendChat(*connection, "hello everyone", 2, 0, true);
    SendChat(*connection, "'team line", 3, 0, true);
    SendChat(*connection, "\"freq line", 4, 3, true);
    SendChat(*connection, "/psst", 5, kBob, true);
    SendChat(*connection, "notice", 6, 0, false);
    SendChat(*connection, ":Somebody:remote hi", 7, 0, true);
    SendChat(*connection, ":bob:to bob in the arena", 7, 0, true);
    SendChat(*connection, "warning", 8, 0, false);
    SendChat(*connection, ";2;channel two", 9, 0, true);
    SendChat(*connection, "/" + std::string(299, 'x'), 5, kBob, true);
    ASSERT_TRUE(SettleDown());

    EXPECT_EQ(ChatPackets(), (std::vector<Packet>{
                                 ChatPacket(0, 0, "to the arena"),
                                 ChatPacket(1, 0, "macro"),
                                 ChatPacket(2, 0, "hello everyone"),
                                 ChatPacket(3, 0, "team line"),
                                 ChatPacket(4, 3, "freq line"),
                                 ChatPacket(5, kBob, "psst"),
                                 ChatPacket(6, 0, "notice"),
                                 ChatPacket(7, 0, ":Somebody:remote hi"),
                                 ChatPacket(5, kBob, "to bob in the arena"),
                                 ChatPacket(8, 0, "warning"),
                                 ChatPacket(9, 0, ";2;channel two"),
                                 ChatPacket(5, kBob, std::string(249, 'x')),
                             }));
    for (const HeardChat& chat : server->Chats())
        EXPECT_TRUE(chat.via.reliable) << chat.text;

    const Rgb orange = ChatOutput::SlotColour(9);
    EXPECT_EQ(NewLines(), (std::vector<Line>{
                              FromPlayer("Tester", "hello everyone", 2),
                              FromPlayer("Tester", "team line", 3),
                              FromPlayer("Tester", "freq line", 4),
                              FromPlayer("Tester", "psst", 5),
                              Whole(":Somebody:remote hi", 7),
                              FromPlayer("Tester", "to bob in the arena", 5),
                              {{"2:", orange}, {"Tester", orange}, {"> ", orange}, {"channel two", orange}},
                              FromPlayer("Tester", std::string(249, 'x'), 5),
                          }));
    EXPECT_TRUE(sim->Violations().empty());
}

TEST_F(ChatEndToEnd, WithoutTheArenasReliabilityByteChatGoesOutUnwrapped)
{
    Enter(Arena(0));
    SendChat(*connection, "one", 2, 0, false);
    SendChat(*connection, "/two", 5, kBob, false);
    Steps(5);
    EXPECT_EQ(ChatPackets(), (std::vector<Packet>{ChatPacket(2, 0, "one"), ChatPacket(5, kBob, "two")}));
    for (const HeardChat& chat : server->Chats())
        EXPECT_FALSE(chat.via.reliable) << chat.text;
    EXPECT_EQ(connection->Reliable().PendingCount(), 0u);
}

TEST_F(ChatEndToEnd, WhileAwayPrivateSendersAreAnsweredWhereTheyAre)
{
    Enter(Arena());
    Zone().away.Set(" back soon");
    server->SendChat(5, kBob, "are you there?");
    server->SendChat(7, 0, "(Faraway)>and you?");
    server->SendChat(5, kBob, "hello?"); // within the minute: not answered again
    ASSERT_TRUE(SettleDown());
    EXPECT_EQ(ChatPackets(),
              (std::vector<Packet>{ChatPacket(5, kBob, "back soon"), ChatPacket(7, 0, ":Faraway:back soon")}));
    EXPECT_EQ(NewLines(), (std::vector<Line>{
                              FromPlayer("Bob", "are you there?", 5),
                              FromPlayer("Tester", "back soon", 5),
                              Whole("(Faraway)>and you?", 7),
                              Whole(":Faraway:back soon", 7),
                              FromPlayer("Bob", "hello?", 5),
                          }));
}

TEST_F(ChatEndToEnd, ConversationSurvivesARoughNetworkInOrder)
{
    Enter(Arena(), kRoughNetwork, 777);
    std::vector<Line> expectedLines;
    std::vector<Packet> expectedPackets;
    for (int i = 0; i < 40; ++i) {
        const std::string text = "line " + std::to_string(i);
        if (i % 2 == 0) {
            server->SendChat(2, kBob, text);
            expectedLines.push_back(FromPlayer("Bob", text, 2));
        } else {
            server->SendChat(9, 0, "3:Faraway> " + text);
            expectedLines.push_back(Whole("3:Faraway> " + text, 9));
        }
        if (i % 4 == 0) {
            SendChat(*connection, "'reply " + std::to_string(i), 3, 0, false);
            expectedPackets.push_back(ChatPacket(3, 0, "reply " + std::to_string(i)));
        }
        Steps(3);
    }
    ASSERT_TRUE(SettleDown(50000));
    EXPECT_EQ(NewLines(), expectedLines);
    EXPECT_EQ(ChatPackets(), expectedPackets);
    EXPECT_GT(sim->ToServer().Tally().lost + sim->ToClient().Tally().lost, 0u);
    EXPECT_TRUE(sim->Violations().empty());
}

} // namespace
