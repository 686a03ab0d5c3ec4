// What the user reads and types, below the window: the output queue and its
// colours, typed lines and the client's own "?" commands, the ignore lists,
// logging and the staff commands' texts.
#include "console/InputEditing.h"
#include "console/InputRouting.h"
#include "console/Links.h"
#include "console/LocalCommands.h"
#include "console/Mentions.h"
#include "console/StaffCommands.h"
#include "zone/Chat.h"
#include "zone/Names.h"

#include "support/ClientHarness.h"
#include "support/SlotColours.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using ::testing::ElementsAre;
using Texts = std::vector<std::string>;

class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest()
    {
        h.EnterArena(1);
        h.ServerSends(EnteringPacket({{1, "Me"}, {3, "Bob", 7}}));
        Shown();
    }

    ChatOutput& Out() { return h->Output(); }
    ReceptionFilters& Filters() { return h.Z().filters; }
    // Runs a line typed into the input line and returns the lines it printed.
    Texts Type(const std::string& line, std::optional<std::string> selected = std::nullopt)
    {
        EXPECT_TRUE(h->Submit(line, selected)) << line;
        return Shown();
    }
    Texts Shown() { return h.Lines(); }
    std::string Log(const std::string& name) { return ReadWholeFile(h.folder.Path() + "Logs/" + name); }

    ClientHarness h;
};

TEST_F(ConsoleTest, OnePieceShowsPerTickWithItsLineBreakInFrontAndAFloodSkipsTheOldestLines)
{
    const size_t runs = h.view.runs.size();
    Out().Print("a", 16, true);
    Out().Print("b", 0, false);
    Out().Print("c", 3, true);
    h.Ticks(1);
    EXPECT_EQ(h.view.runs.size(), runs + 1);
    h.Ticks(5);
    EXPECT_EQ(h.view.runs.back().text, "c"); // never ends with an empty line
    EXPECT_EQ(h.view.runs[runs + 1].text, "\nb");
    Shown();

    // A server may send far more than one line per tick; the window then skips the
    // oldest whole lines it has not shown, says so, and goes on with the newest.
    h.view.atEnd = false; // the user has scrolled back
    Out().ToggleLog("flood.log");
    Out().Print("Bob> first", 2, true);
    Out().ToggleLog("flood.log");
    constexpr size_t kMostPieces = 200000; // queued, not yet shown
    for (size_t i = 0; i < kMostPieces / 2; ++i) {
        Out().Print("Bob> ", 2, false);
        Out().Print("line " + std::to_string(i), 2, true);
    }
    EXPECT_EQ(Out().QueuedPieces(), kMostPieces);
    h.view.atEnd = true;
    h.Ticks(3);
    const size_t shown = h.view.runs.size();
    EXPECT_EQ(h.view.runs[shown - 3].text, "\n(3 lines skipped: they came faster than the window can show them)");
    EXPECT_EQ(h.view.runs[shown - 3].colour, Seen::OfSlot(kSlotWhite));
    EXPECT_EQ(h.view.runs[shown - 1].text, "line 0");
    EXPECT_EQ(Log("flood.log"), "Opened Logfile: flood.log\r\nBob> first\r\n");
    // Bytes count too: three lines of 3 MiB keep the newest two.
    ChatOutput big{h.view, h.users, h->Folder()};
    for (char c : {'a', 'b', 'c'})
        big.Print(std::string(size_t(3) << 20, c), 2, true);
    EXPECT_EQ(big.QueuedPieces(), 2u);
}

// A log or Event.txt that can no longer be written is said once, after the line
// being printed, and left alone from then on.
TEST_F(ConsoleTest, AFileThatCannotBeWrittenIsSaidOnceAndNotTriedAgain)
{
    EXPECT_EQ(Type("?log gone.log"), Texts{"Opened Logfile: gone.log"});
    Out().Print("kept", kSlotWhite, true);
    Shown();
    std::filesystem::remove(h.folder.Path() + "Logs/gone.log");
    std::filesystem::create_directory(h.folder.Path() + "Logs/gone.log"); // a folder where the file was
    Out().Print("Bob> ", 2, false);
    Out().Print("one", 2, true);
    Out().Print("two", 2, true);
    EXPECT_EQ(Shown(), (Texts{"Bob> one", "Could not write the log file gone.log; logging is off.", "two"}));
    EXPECT_FALSE(Out().Logging());

    std::filesystem::create_directory(h.folder.Path() + "Event.txt");
    h.Z().OnEvent("first event");
    h.Z().OnEvent("second event");
    EXPECT_EQ(Shown(), (Texts{"Could not write the event file Event.txt; events are no longer written to it.",
                              "first event", "second event"}));
}

TEST_F(ConsoleTest, TypedLinesBecomeTheirPacketsOrKeepTheirText)
{
    const std::string me = std::string(18, ' ') + "Me> ";
    // clang-format off
    const struct { std::string line; std::optional<std::string> selected; std::string packetHex, echo; } rows[] = {
        {"\"freq", "bob", "06 04 00 0700 66726571 00", me + "freq"},
        {":Bob:hi", {}, "06 05 00 0300 6869 00", me + "hi"},
        {";10;x", {}, "06 09 00 0000 3B313B31303B78 00", "1:Me> 10;x"},
        // "=" takes the number at the start of the rest, as atoi reads it.
        {"= 12x", {}, "0F 0C00", "Changing to Frequency:  12x"}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(Type(row.line, row.selected), Texts{row.echo});
        const std::vector<Packet> sent = h.TakeSentZone();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], HexPacket(row.packetHex));
    }

    // Messages to a selected player need one who is here; a lone prefix says nothing.
    EXPECT_FALSE(h->Submit("\"hi", "Ghost"));
    EXPECT_FALSE(h->Submit("/psst", "Ghost"));
    for (const char* lone : {"'", "\"", "/", ":", ";", "=", "?", ""})
        EXPECT_FALSE(h->Submit(lone, "Bob")) << lone;
    EXPECT_THAT(Shown(), ElementsAre("ERROR: No Team Selected for Team Message.", "ERROR: Player Not in Arena: Ghost"));
    EXPECT_TRUE(h.TakeSentZone().empty());
    h->Disconnect();
    EXPECT_FALSE(h->Submit("hello", {}));
    EXPECT_EQ(h.TakeSent().size(), 2u); // the goodbye only
}

TEST_F(ConsoleTest, CommandWordsMatchWithoutRegardToCaseAndEachSwitchSaysWhatItDid)
{
    EXPECT_EQ(Type("?NoPubChat"), Texts{"Public chat Disabled."});
    EXPECT_EQ(Type("?nopubchat and more"), Texts{"Public chat Enabled."});
    // Not the client's: sent on as public chat.
    for (const char* line : {"?nopubchatx", "?nochat1", "?go5", "?awayy", " ?nopubchat"})
        EXPECT_EQ(Type(line).size(), 1u) << line;
    EXPECT_TRUE(Filters().publicChat);
    EXPECT_EQ(Type("?nleave"), Texts{"Player Leaving Notification Enabled."}); // notices start hidden
    EXPECT_EQ(Type("?nowarnings"), Texts{"All Sysop Server Warnings now Ignored."});
    EXPECT_FALSE(Filters().sysopWarnings);

    EXPECT_EQ(Type("?NOCHAT 3"), Texts{"Chat 3 has been -Disabled-"});
    EXPECT_EQ(Type("?nochat  9x"), Texts{"Chat 9 has been -Disabled-"});
    Texts listing;
    for (int n = 1; n <= 9; ++n)
        listing.push_back("Chat " + std::to_string(n) + (n == 3 || n == 9 ? " is -Disabled-" : " is Enabled"));
    for (const char* line : {"?nochat", "?nochat abc", "?nochat 0"})
        EXPECT_EQ(Type(line), listing) << line;
    for (const char* line : {"?nochat 12", "?nochat 10", "?nochat -1"})
        EXPECT_EQ(Type(line), Texts{"Invaid Chat number Specified"}) << line;

    const AwayState& away = h.Z().away;
    EXPECT_EQ(Type("?AWAY  gone fishing"), Texts{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "  gone fishing");
    EXPECT_EQ(Type("?away"), Texts{"Away Message Disabled."});
    EXPECT_EQ(Type("?away"), Texts{"Away Message Activated."});
    EXPECT_EQ(away.Message(), "I am currently Away.");

    h.TakeSent();
    EXPECT_EQ(Type("?go"), Texts{"Moving to arena 'Public (Random)'."});
    EXPECT_EQ(h.TakeSentZone().at(1).SubRange(0, 10), HexPacket("01 08 0100 8002 E001 FFFF")); // after the leave
    EXPECT_FALSE(h.Z().InArena());

    // A name of 15 characters goes to the zone as typed; one of 16 stays here.
    h.ServerSends(HexPacket("02")); // in the arena again
    h.TakeSent();
    Shown();
    EXPECT_EQ(Type("?go abcdefghijklmnop"), Texts{"Arena name too long."});
    EXPECT_TRUE(h.TakeSentZone().empty());
    EXPECT_EQ(Type("?go abcdefghijklmno"), Texts{"Moving to arena 'abcdefghijklmno'."});
    const Packet entry = h.TakeSentZone().at(1);
    EXPECT_EQ(entry.Size(), 26u);
    Packet named = HexPacket("FDFF");
    named.AppendBytes(std::string("abcdefghijklmno\0", 16));
    EXPECT_EQ(entry.SubRange(8, 0), named);
}

TEST_F(ConsoleTest, IgnoreCommandsToggleTheNameAndOnlyThePermanentListIsStored)
{
    // The name goes without the spaces around it.
    EXPECT_EQ(Type("?ignore Bob "), Texts{"Ignoring: Bob"});
    for (const char* line : {"?ignore bob", "?ignore  two words ", "?pignore Zed", "?pignore amy", "?pignore ZED",
                             "?ignore  ", "?PIGNORE"})
        Type(line);
    h->Ignores().ShowIgnoreLists(true, true);
    EXPECT_EQ(Shown(), (Texts{"Perminent Ignore List:", " - amy", "Temporary Ignore List:", " - two words"}));
    EXPECT_TRUE(h->Ignores().IsIgnored("AMY"));
    EXPECT_FALSE(h->Ignores().IsIgnored("Bob"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "amy\r\n");
    // A server's name with a line break in it would come back as two names: it is ignored, not stored.
    h->Ignores().TogglePermIgnore("Mal\nlory");
    EXPECT_TRUE(h->Ignores().IsIgnored("mal\nlory"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Ignore.txt"), "amy\r\n");

    // The next start reads the file back, whatever its line endings.
    WriteWholeFile(h.folder.Path() + "Ignore.txt", "\n\nalpha\n\n\r\nbeta gamma\r\nde\rlta\n\n");
    h.Make();
    for (const char* name : {"ALPHA", "beta gamma", "delta"})
        EXPECT_TRUE(h->Ignores().IsIgnored(name)) << name;
    EXPECT_FALSE(h->Ignores().IsIgnored("beta"));
}

TEST(LogTest, LogBufferSavesTheWindowThenLogsOnAndNeverWritesOutsideLogs)
{
    ClientHarness h;
    ChatOutput& out = h->Output();
    Console& commands = h->Commands();
    const auto log = [&](const std::string& name) { return ReadWholeFile(h.folder.Path() + "Logs/" + name); };
    out.Print("first", 16, true);
    out.Print("second", 2, true);
    h.Lines();
    h.view.atEnd = false; // scrolled back: this piece waits in the queue
    out.Print("waiting", 16, true);
    EXPECT_TRUE(RunLocalCommand(commands, "?logbuffer saved.log"));
    EXPECT_EQ(log("saved.log"), "first\r\nsecond\r\nOpened Logfile: saved.log\r\n");
    h.view.atEnd = true;
    EXPECT_THAT(h.Lines(), ElementsAre("waiting", "Saving Buffer To: saved.log", "Opened Logfile: saved.log"));
    h.Lines();

    // Logging into it already: only what the window showed before the log opened
    // is added, and logging goes on.
    EXPECT_TRUE(RunLocalCommand(commands, "?logbuffer"));
    EXPECT_TRUE(out.Logging());
    out.Print("later", 16, true);
    EXPECT_EQ(log("saved.log"), "first\r\nsecond\r\nOpened Logfile: saved.log\r\nSaving Buffer To: saved.log\r\n"
                                "first\r\nsecond\r\nlater\r\n");
    // Into another file: the whole window there, and logging moves with it.
    EXPECT_TRUE(RunLocalCommand(commands, "?logbuffer other.log"));
    EXPECT_TRUE(out.Logging());
    EXPECT_EQ(out.LogPath(), "Logs/other.log");
    h.Lines();

    // Names that would lead out of Logs, and files that cannot be opened, are refused and said so.
    RunLocalCommand(commands, "?log"); // closes other.log
    std::filesystem::create_directory(h.folder.Path() + "Logs/folder");
    for (const char* line : {"?log ../escaped.log", "?log /tmp/quillon-absolute.log", "?log a\\b", "?log folder",
                             "?logbuffer ../escaped.log"})
        RunLocalCommand(commands, line);
    EXPECT_FALSE(out.Logging());
    EXPECT_THAT(h.Lines(), ElementsAre("Closed Logfile: other.log", "Invalid Logfile Name (no folders): ../escaped.log",
                                       "Invalid Logfile Name (no folders): /tmp/quillon-absolute.log",
                                       "Invalid Logfile Name (no folders): a\\b", "Unable to open Logfile: folder",
                                       "Invalid Logfile Name (no folders): ../escaped.log"));
    EXPECT_FALSE(FileExists(h.folder.Path() + "escaped.log"));
    EXPECT_FALSE(FileExists("/tmp/quillon-absolute.log"));
}

// The staff dialogs' texts are checked through the real window; these are the edge cases of the kick time.
TEST(StaffCommandsTest, AKickTimeIsAWholeNumberOfMinutesWithAnOptionalSign)
{
    for (const char* valid : {"0", "+5", "-5", "99999999999999999999"})
        EXPECT_TRUE(ValidKickTime(valid)) << valid;
    for (const char* invalid : {"", "+", "+-5", "5m", " 5", "\xB2"})
        EXPECT_FALSE(ValidKickTime(invalid)) << invalid;
}

} // namespace

namespace {

// The scrollback limit takes whole lines off the top, in blocks, and ?logbuffer
// still saves exactly what the window holds and adds only what was there before the log.
TEST(ScrollbackTest, TheOldestLinesLeaveInBlocksAndLogBufferStillMatchesTheWindow)
{
    ClientHarness h;
    ChatOutput& out = h->Output();
    out.SetScrollback(100);
    for (int i = 0; i < 60; ++i)
        out.Print("line " + std::to_string(i), kSlotWhite, true);
    EXPECT_TRUE(RunLocalCommand(h->Commands(), "?log kept.log"));
    for (int i = 60; i < 250; ++i)
        out.Print("line " + std::to_string(i), kSlotWhite, true);
    h.Lines();
    EXPECT_EQ(out.Shown(), h.view.ShownText());
    EXPECT_GE(out.ShownLines(), 95u);
    EXPECT_LE(out.ShownLines(), 100u);
    EXPECT_EQ(out.Shown().substr(out.Shown().rfind('\n') + 1), "line 249");
    // Every line goes to the log, whatever the window let go of.
    const std::string logged = ReadWholeFile(h.folder.Path() + "Logs/kept.log");
    EXPECT_NE(logged.find("line 60\r\n"), std::string::npos);
    EXPECT_NE(logged.find("line 249\r\n"), std::string::npos);
    // What the window showed before the log opened has scrolled away: nothing of it is added twice.
    EXPECT_TRUE(RunLocalCommand(h->Commands(), "?logbuffer"));
    EXPECT_EQ(ReadWholeFile(h.folder.Path() + "Logs/kept.log").size(),
              logged.size() + std::string("Saving Buffer To: kept.log\r\n").size());
}

TEST(ChatFeaturesCoreTest, NamesLinksAndAlertsFollowTheirRules)
{
    const std::pair<const char*, bool> names[] = {
        {"hi Bob", true}, {"BOB!", true},   {"(bob)", true},   {"bobby", false},
        {"abob", false},  {"bob_x", false}, {"x bob2", false}, {"", false},
    };
    for (const auto& [text, named] : names)
        EXPECT_EQ(NamesPlayer(text, "Bob"), named) << text;
    EXPECT_TRUE(NamesPlayer("hi [Ace] there", "[Ace]"));

    const std::pair<const char*, std::vector<std::string>> links[] = {
        {"see http://a.b/c.", {"http://a.b/c"}},
        {"(HTTPS://x.y/z?q=1&r=2), and", {"HTTPS://x.y/z?q=1&r=2"}},
        {"http://a http://b", {"http://a", "http://b"}},
        {"ftp://a javascript:x file:///etc http:// xhttp://a", {}},
    };
    for (const auto& [text, expected] : links) {
        std::vector<std::string> found;
        for (const auto& [at, length] : FindLinks(text))
            found.push_back(std::string(text).substr(at, length));
        EXPECT_EQ(found, expected) << text;
    }

    // One notification every 2 000 ms at most, one per sender in 10 000 ms; the
    // mentions passed over are counted into the next.
    MentionAlerts alerts;
    int more = -1;
    EXPECT_TRUE(alerts.Arrived("Bob", 0, more));
    EXPECT_EQ(more, 0);
    EXPECT_FALSE(alerts.Arrived("Carol", 1999, more));
    EXPECT_FALSE(alerts.Arrived("BOB", 9999, more));
    EXPECT_TRUE(alerts.Arrived("Carol", 9999, more));
    EXPECT_EQ(more, 2);
    EXPECT_FALSE(alerts.Arrived("Dave", 11998, more));
    EXPECT_TRUE(alerts.Arrived("Bob", 11999, more));
    EXPECT_EQ(more, 1);
    for (int sender = 0; sender < 16000; ++sender) // a flood of senders: one more, at 2 s
        alerts.Arrived("p" + std::to_string(sender), 12000 + sender / 16, more);
    EXPECT_EQ(alerts.Title(), "(16006) Quillon");
    EXPECT_TRUE(alerts.Arrived("Eve", 13999 + 2000, more));
    EXPECT_EQ(more, 16000);
    alerts.Seen();
    EXPECT_EQ(alerts.Title(), "Quillon");
    EXPECT_EQ(EscapeMarkup("<b>A & B</b> <a href=\"x\">"), "&lt;b&gt;A &amp; B&lt;/b&gt; &lt;a href=\"x\"&gt;");
}

TEST(ChatFeaturesCoreTest, HistoryKeepsTheLast100LinesAndTheDraft)
{
    InputHistory history;
    for (int i = 0; i < 120; ++i)
        history.Add("line " + std::to_string(i));
    std::string shown;
    int older = 0;
    while (history.Older("draft", shown))
        ++older;
    EXPECT_EQ(older, 100);
    EXPECT_EQ(shown, "line 20");
    while (history.Newer(shown)) {
    }
    EXPECT_EQ(shown, "draft");
}

} // namespace

namespace {

// Tab takes the shortest name first, then names of one length by name, without
// regard to case; the cursor goes after the name.
TEST(NameCompletionTest, TheShortestNameComesFirstThenByName)
{
    const std::vector<std::string> names = {"Boris", "bea", "Bobby", "Bo", "Carl", "BEN"};
    NameCompleter completer;
    NameCompleter::Result result;
    std::vector<std::string> offered;
    std::string text = "hi b";
    for (int tab = 0; tab < 6; ++tab) {
        ASSERT_TRUE(completer.Complete(text, text.size(), names, result));
        offered.push_back(result.text);
        EXPECT_EQ(result.cursor, result.text.size());
        text = result.text;
    }
    EXPECT_EQ(offered, (std::vector<std::string>{"hi Bo", "hi bea", "hi BEN", "hi Bobby", "hi Boris", "hi Bo"}));
}

} // namespace
