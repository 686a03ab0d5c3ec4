// The client's own "?" commands.

#include "zone/ZoneFixture.h"

#include "console/LocalCommands.h"

namespace {

class LocalCommandsTest : public ZoneTest {
protected:
    // Runs a line and returns the lines it printed, each checked to be green.
    std::vector<std::string> Run(const std::string& line)
    {
        EXPECT_TRUE(RunLocalCommand(*h, line)) << line;
        std::vector<std::string> texts;
        for (const ShownLine& shown : Shown()) {
            EXPECT_EQ(shown.colour, Slot(ChatOutput::kSlotGreen)) << shown.text;
            texts.push_back(shown.text);
        }
        return texts;
    }
    using Texts = std::vector<std::string>;
};

TEST_F(LocalCommandsTest, AWordMatchesWithoutRegardToCaseAndEachToggleFlipsItsSwitchAndSaysSo)
{
    EXPECT_EQ(Run("?NoPubChat"), Texts{"Public chat Disabled."});
    EXPECT_EQ(Run("?nopubchat and more"), Texts{"Public chat Enabled."});
    // Not the client's: the caller sends these on.
    for (const char* line : {"?nopubchatx", "?nochat1", "?lag", "?", "nopubchat", " ?nopubchat", "?go5", "?awayy"})
        EXPECT_FALSE(RunLocalCommand(*h, line)) << line;
    EXPECT_TRUE(Shown().empty());

    // clang-format off
    const struct { const char* command; bool ReceptionFilters::*field; const char* says[2]; } toggles[] = {
        {"?noteamchat", &ReceptionFilters::teamChat, {"Team chat Disabled.", "Team chat Enabled."}},
        {"?noarenachat", &ReceptionFilters::arenaChat, {"Arena chat Disabled.", "Arena chat Enabled."}},
        {"?nowarnings", &ReceptionFilters::sysopWarnings,
         {"All Sysop Server Warnings now Ignored.", "Listening to Sysop Server Warnings."}},
        // Notices start hidden.
        {"?nleave", &ReceptionFilters::leaveNotices,
         {"Player Leaving Notification Enabled.", "Player Leaving Notification Disabled."}},
        {"?nenter", &ReceptionFilters::enterNotices,
         {"Player Entering Notification Enabled.", "Player Entering Notification Disabled."}},
        {"?ndeath", &ReceptionFilters::deathNotices,
         {"Player Death Notification Enabled.", "Player Death Notification Disabled."}}};
    // clang-format on
    for (const auto& t : toggles) {
        const bool initially = Filters().*t.field;
        EXPECT_EQ(Run(t.command), Texts{t.says[0]});
        EXPECT_NE(Filters().*t.field, initially) << t.command;
        EXPECT_EQ(Run(t.command), Texts{t.says[1]});
        EXPECT_EQ(Filters().*t.field, initially) << t.command;
    }
}

TEST_F(LocalCommandsTest, NoChatListsSwitchesAndReadsItsNumberAsAtoiDoes)
{
    EXPECT_EQ(Run("?NOCHAT 3"), Texts{"Chat 3 has been -Disabled-"});
    EXPECT_EQ(Run("?nochat  9x"), Texts{"Chat 9 has been -Disabled-"});
    Texts listing;
    for (int n = 1; n <= 9; ++n)
        listing.push_back("Chat " + std::to_string(n) + (n == 3 || n == 9 ? " is -Disabled-" : " is Enabled"));
    for (const char* line : {"?nochat", "?nochat abc", "?nochat 0"})
        EXPECT_EQ(Run(line), listing) << line;
    EXPECT_EQ(Run("?nochat 3"), Texts{"Chat 3 has been Enabled"});
    for (const char* line : {"?nochat 12", "?nochat 10", "?nochat -1", "?nochat 123"})
        EXPECT_EQ(Run(line), Texts{"Invaid Chat number Specified"}) << line;
    for (size_t n = 0; n < Filters().channels.size(); ++n) // channel 0 is out of reach
        EXPECT_EQ(Filters().channels[n], n != 9) << n;
}

TEST_F(LocalCommandsTest, AwayKeepsTheSpaceBeforeItsMessageAndSwitchesOffWhenBare)
{
    const AwayState& away = Session().away;
    EXPECT_EQ(Run("?AWAY  gone fishing"), Texts{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "  gone fishing");
    EXPECT_EQ(Run("?away"), Texts{"Away Message Disabled."});
    EXPECT_FALSE(away.Away());
    EXPECT_EQ(Run("?away"), Texts{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "I am currently Away.");
    EXPECT_EQ(Run("?away "), Texts{"Away Message Activated."});
    EXPECT_EQ(away.Message(), " ");
}

TEST_F(LocalCommandsTest, IgnoreCommandsToggleTheNameAfterTheSpaceAndShowTheirListWhenBare)
{
    for (const char* line : {"?ignore Bob", "?ignore bob", "?ignore  spaced", "?pignore Zed", "?pignore amy",
                             "?pignore ZED", "?ignore ", "?PIGNORE"})
        RunLocalCommand(*h, line);
    EXPECT_EQ(Lines(), (Texts{"Ignoring: Bob", "Listening: bob", "Ignoring:  spaced", "Perm Ignoring: Zed",
                              "Perm Ignoring: amy", "Perm Listening: ZED", "Temporary Ignore List:", " -  spaced",
                              "Perminent Ignore List:", " - amy"}));
    // Names compare without regard to case; only the permanent list is stored.
    EXPECT_TRUE(h->IsIgnored("AMY"));
    EXPECT_FALSE(h->IsIgnored("Bob"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "amy\r\n");
    // A server's name with a line break in it would come back as two names: it is ignored, not stored.
    RunLocalCommand(*h, "?pignore Mal\nlory");
    EXPECT_TRUE(h->IsIgnored("mal\nlory"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "amy\r\n");

    // The next start reads the file back, whatever its line endings.
    WriteWholeFile(h.folder.Path() + "Ignore.txt", "\n\nalpha\n\n\r\nbeta gamma\r\nde\rlta\n\n");
    StartZone(*h, h.folder.Path());
    for (const char* name : {"ALPHA", "beta gamma", "delta"})
        EXPECT_TRUE(h->IsIgnored(name)) << name;
    EXPECT_FALSE(h->IsIgnored("beta"));
}

TEST_F(LocalCommandsTest, GoChangesArenaWithTheTextAfterTheSpace)
{
    h->SetInArena(true);
    EXPECT_EQ(Run("?go"), Texts{"Moving to arena 'Public (Random)'."});
    EXPECT_EQ(SentZone().at(1).SubRange(0, 10), HexPacket("01 08 0100 8002 E001 FFFF")); // after the leave
    EXPECT_EQ(Run("?GO sixteen chars!!!"), Texts{"Arena name too long."});
    EXPECT_TRUE(SentZone().empty());
}

TEST_F(LocalCommandsTest, LogBufferSavesWhatIsShownThenLogsIntoTheSameFile)
{
    const auto log = [this](const std::string& name) { return ReadWholeFile(h.folder.Path() + "Logs/" + name); };
    h.output.Print("first", 16, true);
    h.output.Print("second", 2, true);
    Shown();
    h.view.atEnd = false; // scrolled back: this piece waits in the queue
    h.output.Print("waiting", 16, true);
    EXPECT_TRUE(RunLocalCommand(*h, "?logbuffer saved.log"));
    EXPECT_EQ(log("saved.log"), "first\r\nsecondOpened Logfile: saved.log\r\n");
    EXPECT_TRUE(h.output.Logging());
    h.view.atEnd = true;
    EXPECT_EQ(Lines(), (Texts{"waiting", "Saving Buffer To: saved.log", "Opened Logfile: saved.log"}));

    // With logging on: its announcement goes to the running log, the buffer is
    // appended, and logging stops.
    EXPECT_TRUE(RunLocalCommand(*h, "?logbuffer"));
    EXPECT_FALSE(h.output.Logging());
    EXPECT_EQ(log("saved.log"), "first\r\nsecondOpened Logfile: saved.log\r\nSaving Buffer To: session.log\r\n");
    EXPECT_EQ(log("session.log"),
              "first\r\nsecond\r\nwaiting\r\nSaving Buffer To: saved.log\r\nOpened Logfile: saved.log");
    EXPECT_EQ(Lines(), (Texts{"Saving Buffer To: session.log", "Closed Logfile: saved.log"}));
}

} // namespace
