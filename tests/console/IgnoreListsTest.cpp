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
    // The text shown since the last call.
    std::string Shown()
    {
        while (out.QueuedPieces() > 0)
            out.FlushOneLine();
        const std::string all = view.ShownText();
        const std::string fresh = all.substr(seen_);
        seen_ = all.size();
        return fresh;
    }
    std::string IgnoreFile() { return ReadWholeFile(dir.Path() + "Ignore.txt"); }

    TempDir dir;
    FakeOutputView view;
    FakeUserListView list;
    ChatOutput out{view, list, dir.Path()};
    ProgramFolder folder{dir.Path()};
    IgnoreLists lists{out, folder};
    size_t seen_ = 0;
};

TEST_F(IgnoreListsTest, TogglesIgnoreCaseKeepNamesAsTypedAndOnlyThePermanentListIsStored)
{
    lists.ToggleIgnore("Bob");
    EXPECT_TRUE(lists.IsIgnored("BOB"));
    EXPECT_FALSE(lists.IsIgnored("Bo"));
    lists.ToggleIgnore("bob");
    lists.ToggleIgnore(" spaced ");
    EXPECT_FALSE(lists.IsIgnored("spaced"));
    EXPECT_EQ(Shown(), "Ignoring: Bob\nListening: bob\nIgnoring:  spaced ");
    EXPECT_FALSE(FileExists(dir.Path() + "Ignore.txt"));

    lists.TogglePermIgnore("Zed");
    lists.TogglePermIgnore("amy");
    EXPECT_EQ(IgnoreFile(), "Zed\r\namy\r\n");
    lists.TogglePermIgnore("ZED");
    EXPECT_EQ(IgnoreFile(), "amy\r\n");
    EXPECT_TRUE(lists.IsIgnored("AMY"));
    EXPECT_EQ(Shown(), "\nPerm Ignoring: Zed\nPerm Ignoring: amy\nPerm Listening: ZED");
    lists.ShowIgnoreLists(true, true);
    EXPECT_EQ(Shown(), "\nPerminent Ignore List:\n - amy\nTemporary Ignore List:\n -  spaced ");
}

TEST_F(IgnoreListsTest, LoadingReadsEveryLineEndingAndAMissingFileCreatesNothing)
{
    lists.LoadPermanent();
    EXPECT_TRUE(lists.Permanent().empty());
    EXPECT_FALSE(FileExists(dir.Path() + "Ignore.txt"));
    WriteWholeFile(dir.Path() + "Ignore.txt", "\n\nalpha\n\n\r\nbeta gamma\r\nde\rlta\n\n");
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
    EXPECT_TRUE(std::regex_match(text, std::regex("older line\r\n.+ - .+ -> first\r\n.+ - .+ -> second\r\n"))) << text;
}

} // namespace
