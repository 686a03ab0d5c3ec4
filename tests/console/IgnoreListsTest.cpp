#include "console/IgnoreLists.h"

#include "console/ChatOutput.h"
#include "console/ProgramFolder.h"
#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

class IgnoreListsTest : public ::testing::Test {
protected:
    // The lines shown so far, one per printed line.
    std::string Shown()
    {
        while (out.QueuedPieces() > 0)
            out.FlushOneLine();
        return view.ShownText();
    }
    std::string IgnoreFile() { return ReadWholeFile(dir.Path() + "Ignore.txt"); }

    TempDir dir;
    FakeOutputView view;
    FakeUserListView list;
    ChatOutput out{view, list, dir.Path()};
    ProgramFolder folder{dir.Path()};
    IgnoreLists lists{out, folder};
};

TEST_F(IgnoreListsTest, TemporaryToggleIgnoresCaseAndKeepsTheNameAsTyped)
{
    lists.ToggleIgnore("Bob");
    EXPECT_TRUE(lists.IsIgnored("BOB"));
    EXPECT_FALSE(lists.IsIgnored("Bo"));
    lists.ToggleIgnore("bob");
    EXPECT_FALSE(lists.IsIgnored("Bob"));
    lists.ToggleIgnore(" spaced ");
    EXPECT_FALSE(lists.IsIgnored("spaced"));
    EXPECT_EQ(Shown(), "Ignoring: Bob\nListening: bob\nIgnoring:  spaced ");
    EXPECT_FALSE(FileExists(dir.Path() + "Ignore.txt")); // the temporary list is never stored
}

TEST_F(IgnoreListsTest, PermanentToggleRewritesTheFileInListOrder)
{
    lists.TogglePermIgnore("Zed");
    lists.TogglePermIgnore("amy");
    EXPECT_EQ(IgnoreFile(), "Zed\r\namy\r\n");
    lists.TogglePermIgnore("ZED");
    EXPECT_EQ(IgnoreFile(), "amy\r\n");
    EXPECT_TRUE(lists.IsIgnored("AMY"));
    EXPECT_EQ(Shown(), "Perm Ignoring: Zed\nPerm Ignoring: amy\nPerm Listening: ZED");
}

TEST_F(IgnoreListsTest, EitherListIgnoresAndBothAreShownPermanentFirst)
{
    lists.ToggleIgnore("temp");
    lists.TogglePermIgnore("perm");
    EXPECT_TRUE(lists.IsIgnored("TEMP"));
    EXPECT_TRUE(lists.IsIgnored("Perm"));
    Shown();
    view.runs.clear();
    lists.ShowIgnoreLists(true, true);
    EXPECT_EQ(Shown(), "\nPerminent Ignore List:\n - perm\nTemporary Ignore List:\n - temp");
}

TEST_F(IgnoreListsTest, EmptyTemporaryListShowsOnlyItsHeading)
{
    lists.ShowIgnoreLists(true, false);
    EXPECT_EQ(Shown(), "Temporary Ignore List:");
}

TEST_F(IgnoreListsTest, LoadingReadsEveryLineEndingAndMissingFileCreatesNothing)
{
    lists.LoadPermanent();
    EXPECT_TRUE(lists.Permanent().empty());
    EXPECT_FALSE(FileExists(dir.Path() + "Ignore.txt"));

    WriteWholeFile(dir.Path() + "Ignore.txt", "alpha\n\n\r\nbeta gamma\r\ndelta");
    lists.LoadPermanent();
    EXPECT_EQ(lists.Permanent(), (std::vector<std::string>{"alpha", "beta gamma", "delta"}));
}

TEST_F(IgnoreListsTest, AnUnwritableFolderStillChangesTheListInMemory)
{
    ProgramFolder missing(dir.Path() + "no-such-folder/");
    IgnoreLists offline(out, missing);
    offline.TogglePermIgnore("Bob");
    EXPECT_TRUE(offline.IsIgnored("bob"));
    EXPECT_EQ(Shown(), "Perm Ignoring: Bob");
}

TEST(EventFileTest, EventsAppendTimeStampedLinesAfterWhatWasThere)
{
    TempDir dir;
    WriteWholeFile(dir.Path() + "Event.txt", "older line\r\n");
    ProgramFolder folder(dir.Path());
    folder.LogEvent("first");
    folder.LogEvent("second");
    const std::string text = ReadWholeFile(dir.Path() + "Event.txt");
    const std::regex layout("older line\r\n.+ - .+ -> first\r\n.+ - .+ -> second\r\n");
    EXPECT_TRUE(std::regex_match(text, layout)) << text;
}

} // namespace
