#include "ZoneFixture.h"

#include "zone/Login.h"

#include <filesystem>

namespace {

Packet Bytes(const std::vector<uint8_t>& bytes) { return Packet(bytes.data(), uint32_t(bytes.size())); }

// The fixed tail of every login packet, offsets 66 to 100.
Packet LoginTail()
{
    return HexPacket("78563412 00 F000 0000 8600 BC010000 2B020000 78563412 000000000000000000000000");
}

std::string Text(const Packet& p, uint32_t from, uint32_t to) { return p.BytesAsString(from, to); }

using StartUpTest = ZoneTest;

TEST_F(StartUpTest, MakesMapsAndLogsAndLoadsThePermanentIgnoreList)
{
    WriteWholeFile(h.folder.Path() + "Ignore.txt", "Bob\r\n");
    StartZone(*h, h.folder.Path()); // a second start-up: the folders exist already
    EXPECT_TRUE(std::filesystem::is_directory(h.folder.Path() + "Maps"));
    EXPECT_TRUE(std::filesystem::is_directory(h.folder.Path() + "Logs"));
    EXPECT_TRUE(h->IsIgnored("bob"));
    EXPECT_EQ(Players().Count(), 0u);
    EXPECT_EQ(h->OwnPlayerId(), PlayerTable::kNoPlayer);
}

using LoginTest = ZoneTest;

TEST_F(LoginTest, HandshakeSendsTheLoginReliablyWithEveryFixedValue)
{
    Write(Settings::UserName, "Quill Pen");
    Write(Settings::UserPassword, "secret");
    h.Handshake();
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    const Packet& login = sent[0].packet;
    EXPECT_TRUE(sent[0].reliable);
    ASSERT_EQ(login.Size(), 101u);
    EXPECT_EQ(login.ReadU8(0), 0x09);
    EXPECT_EQ(login.ReadU8(1), 0x00);
    EXPECT_EQ(Text(login, 2, 34), std::string("Quill Pen") + std::string(23, '\0'));
    EXPECT_EQ(Text(login, 34, 66), std::string("secret") + std::string(26, '\0'));
    EXPECT_EQ(login.SubRange(66, 0), LoginTail());
}

TEST_F(LoginTest, NamesAreCutToTheirFieldWithoutTerminator)
{
    const std::string name32(32, 'n');
    Write(Settings::UserName, name32 + "tail");
    Write(Settings::UserPassword, "");
    SendLogin(*h);
    const Packet login = SentZone().at(0).packet;
    EXPECT_EQ(Text(login, 2, 34), name32);
    EXPECT_EQ(Text(login, 34, 66), std::string(32, '\0'));
    EXPECT_EQ(login.SubRange(66, 0), LoginTail());
}

struct LoginOutcomeCase {
    int code;
    const char* message;
    bool enters;
};

class LoginResponseTest : public ZoneTest, public ::testing::WithParamInterface<LoginOutcomeCase> {};

TEST_P(LoginResponseTest, PrintsTheMessageThenEntersOrDisconnects)
{
    const LoginOutcomeCase& c = GetParam();
    h.Handshake();
    SentZone();
    Lines();
    h.ServerSends(Bytes({0x0A, uint8_t(c.code), 0x55, 0x66}));

    const std::vector<Piece> pieces = Pieces();
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces[0], (Piece{c.message, Slot(ChatOutput::kSlotWhite)}));
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].reliable);
    if (c.enters) {
        EXPECT_EQ(pieces.size(), 1u);
        EXPECT_EQ(sent[0].packet.ReadU8(0), 0x01);
        EXPECT_TRUE(h->Connected());
    } else {
        ASSERT_EQ(pieces.size(), 2u);
        EXPECT_EQ(pieces[1].text, "Disconnecting...");
        EXPECT_EQ(sent[0].packet, Bytes({0x02})); // leave arena
        EXPECT_FALSE(h->Connected());
        EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, LoginResponseTest,
    ::testing::Values(
        LoginOutcomeCase{0, "Login Successfull.", true},
        LoginOutcomeCase{1, "Unkown (Unregistered) Player, Please register this name first.", false},
        LoginOutcomeCase{2, "Incorrect Password for specified player name.", false},
        LoginOutcomeCase{3, "The Arena is full, please try again later.", false},
        LoginOutcomeCase{4, "You are locked out of Driftwake.", false},
        LoginOutcomeCase{5, "You do not have Permision to play in this Arena.", false},
        LoginOutcomeCase{6, "You only have permision to spectate in this Arena.", true},
        LoginOutcomeCase{7, "This name has too many points to play in this Arena.", false},
        LoginOutcomeCase{8, "Your Connection is too slow to play in this Arena.", false},
        LoginOutcomeCase{9, "You do not have Permision to play in this Arena.", false},
        LoginOutcomeCase{10, "The server is no longer accepting new connections. Try again later.", false},
        LoginOutcomeCase{11, "The name you are trying to use is Inavlid, please choose another.", false},
        LoginOutcomeCase{12, "The name you are trying to use is on the Offensive Word list, please choose another.",
                         false},
        LoginOutcomeCase{
            13, "NOTICE: Scores are not being recorded in this zone. (Posible cause: No DW Biller Connection.)", true},
        LoginOutcomeCase{14, "Server busy proccessing other login requests. Try again later.", false},
        LoginOutcomeCase{15,
                         "You do not have enough Usage. This zone is restricted to people with a certain number of "
                         "hours logged on DW.",
                         false},
        LoginOutcomeCase{16, "Unkown Login response, attempting to continue normaly...", true},
        LoginOutcomeCase{254, "Unkown Login response, attempting to continue normaly...", true},
        LoginOutcomeCase{255, "Moderator Access is required to enter this zone.", false}),
    [](const ::testing::TestParamInfo<LoginOutcomeCase>& param) { return "Code" + std::to_string(param.param.code); });

TEST_F(LoginTest, AResponseWithoutItsCodeCountsAsSuccess)
{
    Feed(Bytes({0x0A}));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Login Successfull."});
    EXPECT_EQ(SentZone().at(0).packet.ReadU8(0), 0x01);
}

struct ArenaEntryCase {
    const char* arena;
    uint16_t selector;
    std::string nameField;
};

class ArenaEntryTest : public ZoneTest, public ::testing::WithParamInterface<ArenaEntryCase> {};

// Every form is 26 bytes: the empty and the numbered ones carry a zero name field.
TEST_P(ArenaEntryTest, SendsTheLongFormWithItsSelector)
{
    const ArenaEntryCase& c = GetParam();
    Write(Settings::ArenaName, c.arena);
    Feed(Bytes({0x0A, 0x00}));
    const std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].reliable);
    const Packet& entry = sent[0].packet;
    ASSERT_EQ(entry.Size(), 26u);
    EXPECT_EQ(entry.SubRange(0, 8), HexPacket("01 08 0100 8002 E001"));
    EXPECT_EQ(entry.ReadU16(8), c.selector);
    EXPECT_EQ(Text(entry, 10, 26), c.nameField);
}

INSTANTIATE_TEST_SUITE_P(ThreeForms, ArenaEntryTest,
                         ::testing::Values(ArenaEntryCase{"", 0xFFFF, std::string(16, '\0')},
                                           ArenaEntryCase{"0", 0, std::string(16, '\0')},
                                           ArenaEntryCase{"17", 17, std::string(16, '\0')},
                                           ArenaEntryCase{"65537", 1, std::string(16, '\0')}, // kept to 16 bits
                                           ArenaEntryCase{"12a", 0xFFFD, std::string("12a") + std::string(13, '\0')},
                                           ArenaEntryCase{"abcdefghijklmnopq", 0xFFFD, "abcdefghijklmnop"}));

TEST_F(LoginTest, AnArenaGivenByTextWinsOverTheSetting)
{
    Write(Settings::ArenaName, "duel");
    SendArenaEntry(*h, "42");
    const Packet entry = SentZone().at(0).packet;
    EXPECT_EQ(entry.Size(), 26u);
    EXPECT_EQ(entry.ReadU16(8), 42);
}

TEST_F(LoginTest, ChatReliabilityFollowsTheLatestArenaSettings)
{
    Feed(ArenaSettingsPacket(10, 1));
    EXPECT_EQ(h->PositionInterval(), 10);
    SendChat(*h, "one", kChatPublic, 0, false);
    EXPECT_TRUE(SentZone().at(0).reliable);

    // A short block is copied as far as it goes; the old bytes after it do not survive.
    Packet shortBlock(1300);
    shortBlock.WriteU8(0x0F, 0);
    shortBlock.WriteU16(25, 1256);
    Feed(shortBlock);
    EXPECT_EQ(h->PositionInterval(), 25);
    EXPECT_EQ(h->ArenaSettings().Size(), 1428u);
    SendChat(*h, "two", kChatPublic, 0, false);
    EXPECT_FALSE(SentZone().at(0).reliable);
}

TEST_F(LoginTest, ArenaEnteredStartsThePeriodicWorkAndRunsTheAutomationBeforeInArena)
{
    Write(Settings::UserChats, "1;2");
    Write(Settings::UserAuto, "first\\inner/?local/?other//last");
    std::vector<std::string> offered;
    Session().runLocalCommand = [&](const std::string& line) {
        offered.push_back(line + (h->InArena() ? " (in arena)" : ""));
        return line == "?local";
    };
    h->SetJob(Connection::kReconnectJob, true);

    Feed(Bytes({0x02}));

    EXPECT_TRUE(h->InArena());
    EXPECT_TRUE(h->JobOn(Connection::kPositionJob));
    EXPECT_TRUE(h->JobOn(Connection::kSyncJob));
    EXPECT_TRUE(h->JobOn(Connection::kChunkJob));
    EXPECT_FALSE(h->JobOn(Connection::kReconnectJob));
    EXPECT_EQ(offered, (std::vector<std::string>{"?local", "?other"}));
    std::vector<std::string> texts;
    for (const Sent& s : SentZone()) {
        EXPECT_EQ(s.packet.ReadU8(1), kChatPublic);
        texts.push_back(s.packet.ReadText(5, 0));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"?chat=1;2", "first\\inner", "?other", "", "last"}));
    EXPECT_EQ(Lines().size(), 5u); // each echoed
}

TEST_F(LoginTest, AnAutomaticArenaChangeLeavesTheClientOutOfTheArenaUntilTheNextArrival)
{
    Write(Settings::UserAuto, "?go duel");
    Feed(Bytes({0x02}));
    EXPECT_FALSE(h->InArena());
    EXPECT_FALSE(h->JobOn(Connection::kPositionJob));

    Write(Settings::UserAuto, "");
    Feed(Bytes({0x02}));
    EXPECT_TRUE(h->InArena());
}

TEST_F(LoginTest, AutomationReadsTheSettingsAtEveryEntryAndSplitsAtBackslashOnceNoSlashIsLeft)
{
    Feed(Bytes({0x02}));
    EXPECT_TRUE(SentZone().empty());
    Write(Settings::UserAuto, "a\\b");
    Feed(Bytes({0x02}));
    std::vector<std::string> texts;
    for (const Sent& s : SentZone())
        texts.push_back(s.packet.ReadText(5, 0));
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b"}));
}

TEST_F(LoginTest, PositionGoesOutEveryFourIntervalsPlusOneTickWithItsCheckByte)
{
    Feed(ArenaSettingsPacket(10, 0));
    Feed(Bytes({0x02}));
    SentZone();

    h.Ticks(40);
    EXPECT_TRUE(SentZone().empty());
    for (int round = 0; round < 2; ++round) {
        h.Ticks(round == 0 ? 1 : 41);
        const std::vector<Sent> sent = SentZone();
        ASSERT_EQ(sent.size(), 1u);
        const Packet& position = sent[0].packet;
        EXPECT_FALSE(sent[0].reliable);
        ASSERT_EQ(position.Size(), 22u);
        const uint32_t now = h.clock.Now();
        EXPECT_EQ(position.ReadU8(0), 0x03);
        EXPECT_EQ(position.ReadU32(2), now);
        EXPECT_EQ(position.ReadU16(8), 8192);
        EXPECT_EQ(position.ReadU16(12), 8192);
        // The two 8192s cancel out: the type and the time stamp are left.
        EXPECT_EQ(position.ReadU8(10), uint8_t(0x03 ^ now ^ (now >> 8) ^ (now >> 16) ^ (now >> 24)));
        uint8_t all = 0;
        for (uint32_t i = 0; i < 22; ++i)
            all ^= position.ReadU8(i);
        EXPECT_EQ(all, 0);
        Packet rest = position;
        rest.WriteU32(0, 2);
        rest.WriteU8(0, 10);
        EXPECT_EQ(rest, HexPacket("03 00 00000000 0000 0020 00 00 0020 0000 0000 0000 0000"));
    }
}

TEST_F(LoginTest, AZeroIntervalSendsAPositionOnEveryTick)
{
    Feed(Bytes({0x02}));
    SentZone();
    h.Ticks(5);
    EXPECT_EQ(SentZone().size(), 5u);
}

} // namespace
