// The client's own "?" commands, run the way the input line and the entry
// automation run them.

#include "zone/ZoneFixture.h"

#include "console/LocalCommands.h"

#include <filesystem>

namespace {

const Rgb kGreen = ChatOutput::SlotColour(ChatOutput::kSlotGreen);
const Rgb kWhite = ChatOutput::SlotColour(ChatOutput::kSlotWhite);

class LocalCommandsTest : public ZoneTest {
protected:
    bool Run(const std::string& line) { return RunLocalCommand(*h, line); }

    // Runs a line and returns the lines it printed, each checked to be whole and green.
    std::vector<std::string> GreenLines(const std::string& line)
    {
        EXPECT_TRUE(Run(line)) << line;
        std::vector<std::string> texts;
        for (const Piece& piece : Pieces()) {
            EXPECT_EQ(piece.colour, kGreen) << piece.text;
            texts.push_back(piece.text);
        }
        return texts;
    }
    std::string LogFile(const std::string& name) { return ReadWholeFile(h.folder.Path() + "Logs/" + name); }
};

TEST_F(LocalCommandsTest, AWordMatchesWithoutRegardToCaseWhenTheLineEndsOrGoesOnWithASpace)
{
    EXPECT_TRUE(Run("?NoPubChat"));
    EXPECT_FALSE(Filters().publicChat);
    EXPECT_TRUE(Run("?nopubchat and more"));
    EXPECT_TRUE(Filters().publicChat);
    Pieces();

    // Not the client's: the caller sends these on, and nothing is printed.
    for (const char* line : {"?nopubchatx", "?nochat1", "?lag", "?arena", "?logx", "?", "nopubchat", " ?nopubchat",
                             "?cmdhelp2", "?go5", "?awayy"}) {
        EXPECT_FALSE(Run(line)) << line;
    }
    EXPECT_TRUE(Pieces().empty());
    EXPECT_TRUE(Filters().publicChat);
    EXPECT_TRUE(SentZone().empty());
}

struct ToggleCase {
    const char* command;
    bool ReceptionFilters::*field;
    const char* turnedOff;
    const char* turnedOn;
};

TEST_F(LocalCommandsTest, EachToggleFlipsItsSwitchAndSaysSoInGreen)
{
    const ToggleCase cases[] = {
        {"?nopubchat", &ReceptionFilters::publicChat, "Public chat Disabled.", "Public chat Enabled."},
        {"?noteamchat", &ReceptionFilters::teamChat, "Team chat Disabled.", "Team chat Enabled."},
        {"?noarenachat", &ReceptionFilters::arenaChat, "Arena chat Disabled.", "Arena chat Enabled."},
        {"?nowarnings", &ReceptionFilters::sysopWarnings, "All Sysop Server Warnings now Ignored.",
         "Listening to Sysop Server Warnings."},
        {"?nleave", &ReceptionFilters::leaveNotices, "Player Leaving Notification Disabled.",
         "Player Leaving Notification Enabled."},
        {"?nenter", &ReceptionFilters::enterNotices, "Player Entering Notification Disabled.",
         "Player Entering Notification Enabled."},
        {"?ndeath", &ReceptionFilters::deathNotices, "Player Death Notification Disabled.",
         "Player Death Notification Enabled."},
    };
    for (const ToggleCase& c : cases) {
        SCOPED_TRACE(c.command);
        const bool initially = Filters().*c.field;
        const std::vector<std::string> first = GreenLines(c.command);
        EXPECT_NE(Filters().*c.field, initially);
        const std::vector<std::string> second = GreenLines(c.command);
        EXPECT_EQ(Filters().*c.field, initially);
        // Chat starts shown and notices start hidden, so the two rows run in opposite orders.
        if (initially)
            EXPECT_EQ(first, std::vector<std::string>{c.turnedOff});
        else
            EXPECT_EQ(first, std::vector<std::string>{c.turnedOn});
        EXPECT_EQ(second, std::vector<std::string>{initially ? c.turnedOn : c.turnedOff});
    }
    EXPECT_TRUE(SentZone().empty());
}

TEST_F(LocalCommandsTest, NoChatListsSwitchesAndRefusesNumbersOutsideOneToNine)
{
    EXPECT_EQ(GreenLines("?nochat 3"), std::vector<std::string>{"Chat 3 has been -Disabled-"});
    EXPECT_FALSE(Filters().channels[3]);
    EXPECT_EQ(GreenLines("?NOCHAT 9"), std::vector<std::string>{"Chat 9 has been -Disabled-"});

    std::vector<std::string> listing;
    for (int n = 1; n <= 9; ++n)
        listing.push_back("Chat " + std::to_string(n) + (n == 3 || n == 9 ? " is -Disabled-" : " is Enabled"));
    EXPECT_EQ(GreenLines("?nochat"), listing);
    // The number is read from the two characters after the space, as atoi reads them.
    EXPECT_EQ(GreenLines("?nochat abc"), listing);
    EXPECT_EQ(GreenLines("?nochat 0"), listing);
    EXPECT_EQ(GreenLines("?nochat 3x"), std::vector<std::string>{"Chat 3 has been Enabled"});
    EXPECT_TRUE(Filters().channels[3]);
    EXPECT_EQ(GreenLines("?nochat  4"), std::vector<std::string>{"Chat 4 has been -Disabled-"});

    for (const char* line : {"?nochat 12", "?nochat 10", "?nochat -1", "?nochat 123"})
        EXPECT_EQ(GreenLines(line), std::vector<std::string>{"Invaid Chat number Specified"}) << line;
    // Channel 0 is out of the commands' reach.
    for (size_t n = 0; n < Filters().channels.size(); ++n)
        EXPECT_EQ(Filters().channels[n], n != 4 && n != 9) << n;
}

TEST_F(LocalCommandsTest, AwayKeepsTheSpaceBeforeItsMessageAndSwitchesOffWhenBare)
{
    const AwayState& away = Session().away;
    EXPECT_EQ(GreenLines("?away brb"), std::vector<std::string>{"Away Message Activated."});
    EXPECT_TRUE(away.Away());
    EXPECT_EQ(away.Message(), " brb");
    // A new message while away replaces the old one.
    EXPECT_EQ(GreenLines("?AWAY  gone fishing"), std::vector<std::string>{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "  gone fishing");
    EXPECT_EQ(GreenLines("?away"), std::vector<std::string>{"Away Message Disabled."});
    EXPECT_FALSE(away.Away());
    EXPECT_EQ(away.Message(), "");
    EXPECT_EQ(GreenLines("?away"), std::vector<std::string>{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "I am currently Away.");
    // "?away " gives the message " ": away stays on with it.
    EXPECT_EQ(GreenLines("?away "), std::vector<std::string>{"Away Message Activated."});
    EXPECT_EQ(away.Message(), " ");
}

TEST_F(LocalCommandsTest, IgnoreCommandsShowTheirListWhenBareAndToggleTheNameAfterTheSpace)
{
    EXPECT_TRUE(Run("?ignore Bob"));
    EXPECT_TRUE(Run("?ignore  spaced"));
    EXPECT_TRUE(Run("?pignore Carl"));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Ignoring: Bob", "Ignoring:  spaced", "Perm Ignoring: Carl"}));
    EXPECT_TRUE(h->IsIgnored("bob"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "Carl\r\n");

    EXPECT_TRUE(Run("?ignore"));
    EXPECT_TRUE(Run("?ignore "));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Temporary Ignore List:", " - Bob", " -  spaced",
                                                 "Temporary Ignore List:", " - Bob", " -  spaced"}));
    EXPECT_TRUE(Run("?pignore"));
    EXPECT_TRUE(Run("?PIGNORE "));
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"Perminent Ignore List:", " - Carl", "Perminent Ignore List:", " - Carl"}));
    EXPECT_TRUE(Run("?ignore bob"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"Listening: bob"});
    EXPECT_FALSE(h->IsIgnored("Bob"));
}

TEST_F(LocalCommandsTest, CmdHelpPrintsNineteenWhiteLinesAndSendsNothing)
{
    const std::vector<std::string> help = {
        "Quillon Command Help:",
        "NOTE: These commands disable RECIEVING only, you may still send.",
        "-  ?nopubchat    -    (On/Off) Public Chat.",
        "-  ?noteamchat    -    (On/Off) Team Chat.",
        "-  ?noarenachat    -    (On/Off) Arena Chat (?lag, ?chat and many others use Arena Messages).",
        "-  ?nowarnings    -    (On/Off) Sysop Warning Messages.",
        "-  ?nochat [#]    -    (On/Off) Chat #. ('?nochat 1' (dis/en)ables ;1;)",
        "",
        "-  ?go [#/(arena)]    -    Jump to a specific Public or Private Arena.",
        "-  ?logbuffer [(filename)]    -    Log Entire Contents of Buffer and Continue logging (filename is "
        "optional, default is session.log).",
        "-  ?log [(filename)]    -    Log from this point forward (filename is optional, default is session.log).",
        "-  ?away [(message)]    -    Enable/Disable an Away Message.",
        "-  ?arena    -    Display Arenas. Arena with (*) you are in.",
        "-  ?nleave    -    (On/Off) Display a Notification when players Leave.",
        "-  ?nenter    -    (On/Off) Display a Notification when players Enter.",
        "-  ?ndeath    -    (On/Off) Display a Notification when Players Die.",
        "-  ?ignore [(name)]    -    Add to the Temporary Ignore List. (Leave name Blank to Display List)",
        "-  ?pignore [(name)]    -    Add to the Perminent Ignore List. (Leave name Blank to Display List)",
        "",
    };
    ASSERT_TRUE(Run("?CmdHelp"));
    std::vector<std::string> shown;
    for (const Piece& piece : Pieces()) {
        EXPECT_EQ(piece.colour, kWhite);
        shown.push_back(piece.text);
    }
    EXPECT_EQ(shown, help);
    // Each ends its line: the next print starts on a line of its own.
    h.output.Print("after", 0, true);
    Pieces();
    EXPECT_EQ(h.view.ShownText().substr(h.view.ShownText().size() - 7), "\n\nafter");
    EXPECT_TRUE(SentZone().empty());
}

TEST_F(LocalCommandsTest, GoChangesArenaWithTheTextAfterTheSpace)
{
    h->SetInArena(true);
    EXPECT_EQ(GreenLines("?go"), std::vector<std::string>{"Moving to arena 'Public (Random)'."});
    std::vector<Sent> sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].packet.ReadU16(8), 0xFFFF);

    EXPECT_EQ(GreenLines("?GO duel"), std::vector<std::string>{"Moving to arena 'duel'."});
    sent = SentZone();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].packet.ReadU16(8), 0xFFFD);
    EXPECT_EQ(sent[1].packet.ReadText(10, 16), "duel");
}

TEST_F(LocalCommandsTest, LogSwitchesLoggingAndTheFileHoldsWhatIsShownLineForLine)
{
    EXPECT_EQ(GreenLines("?log"), (std::vector<std::string>{"Opened Logfile: ", "session.log"}));
    EXPECT_TRUE(h.output.Logging());
    EnterArenaWith({{3, "Bob"}});
    Feed(ChatPacket(kChatPublic, 3, "hello"));
    Pieces();
    // The name after "?log" is not used when logging stops.
    EXPECT_EQ(GreenLines("?log other.txt"), (std::vector<std::string>{"Closed Logfile: ", "session.log"}));
    EXPECT_FALSE(h.output.Logging());
    Feed(ChatPacket(kChatPublic, 3, "not logged"));
    EXPECT_EQ(LogFile("session.log"), "Opened Logfile: session.log\r\n                 Bob> hello\r\n");
    EXPECT_FALSE(FileExists(h.folder.Path() + "Logs/other.txt"));

    // Logging again continues the file after what it holds.
    EXPECT_TRUE(Run("?log"));
    EXPECT_EQ(LogFile("session.log"),
              "Opened Logfile: session.log\r\n                 Bob> hello\r\nOpened Logfile: session.log\r\n");
}

TEST_F(LocalCommandsTest, LogBufferSavesWhatIsShownThenLogsIntoTheSameFile)
{
    h.output.Print("first", 16, true);
    h.output.Print("second", 2, true);
    Pieces();
    h.view.atEnd = false; // scrolled back: this piece waits in the queue
    h.output.Print("waiting", 16, true);
    EXPECT_TRUE(Run("?logbuffer saved.log"));
    EXPECT_EQ(LogFile("saved.log"), "first\r\nsecondOpened Logfile: saved.log\r\n");
    EXPECT_TRUE(h.output.Logging());
    h.view.atEnd = true;
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"waiting", "Saving Buffer To: saved.log", "Opened Logfile: saved.log"}));

    // With logging on: its announcement goes to the running log, the buffer is
    // appended, and logging stops.
    EXPECT_TRUE(Run("?logbuffer"));
    EXPECT_FALSE(h.output.Logging());
    EXPECT_EQ(LogFile("saved.log"), "first\r\nsecondOpened Logfile: saved.log\r\nSaving Buffer To: session.log\r\n");
    EXPECT_EQ(LogFile("session.log"),
              "first\r\nsecond\r\nwaiting\r\nSaving Buffer To: saved.log\r\nOpened Logfile: saved.log");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Saving Buffer To: session.log", "Closed Logfile: saved.log"}));
}

TEST_F(LocalCommandsTest, TheEntryAutomationRunsLocalCommandsBeforeSendingTheRest)
{
    Write(Settings::UserAuto, "?nopubchat/?lag/?nochat 2\\hello");
    Feed(Packet::FromString(std::string(1, '\x02')));
    EXPECT_FALSE(Filters().publicChat);
    EXPECT_FALSE(Filters().channels[2]);
    std::vector<std::string> texts;
    for (const Sent& s : SentZone())
        texts.push_back(s.packet.ReadText(5, 0));
    // Once no "/" is left, the backslash separates.
    EXPECT_EQ(texts, (std::vector<std::string>{"?lag", "hello"}));
}

} // namespace
