#include "console/ChatOutput.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kLightBlue{160, 160, 255};

class ChatOutputTest : public ::testing::Test {
protected:
    void Drain()
    {
        while (out.QueuedPieces() > 0)
            out.FlushOneLine();
    }

    TempDir folder;
    FakeOutputView view;
    FakeUserListView list;
    ChatOutput out{view, list, folder.Path()};
};

TEST_F(ChatOutputTest, LineBreaksGoInFrontOfTheNextPieceOnly)
{
    out.Print("a", 16, true);
    out.Print("b", 0);
    out.Print("c", 3, true);
    out.Print("d", 16, true);
    Drain();
    ASSERT_EQ(view.runs.size(), 4u);
    EXPECT_EQ(view.runs[0].text, "a");
    EXPECT_EQ(view.runs[1].text, "\nb");
    EXPECT_EQ(view.runs[2].text, "c");
    EXPECT_EQ(view.runs[3].text, "\nd");
    EXPECT_EQ(view.runs[0].colour, kWhite);
    EXPECT_EQ(view.runs[1].colour, kGreen);
    EXPECT_EQ(view.runs[2].colour, kYellow);
    EXPECT_EQ(view.ShownText(), "a\nbc\nd"); // never ends with an empty line
}

TEST_F(ChatOutputTest, SlotsMapToTheirColoursAndAnythingElseIsWhite)
{
    const Rgb expected[] = {{0, 255, 0},   {160, 160, 255}, {160, 160, 255}, {255, 255, 0}, {160, 160, 255},
                            {0, 255, 0},   {255, 0, 0},     {0, 255, 0},     {255, 0, 0},   {255, 128, 0}};
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(ChatOutput::SlotColour(slot), expected[slot]) << slot;
    for (int slot : {10, 16, -1, 1000})
        EXPECT_EQ(ChatOutput::SlotColour(slot), kWhite) << slot;
}

TEST_F(ChatOutputTest, OnePieceShowsPerTickAndNoneWhileScrolledBack)
{
    for (int i = 0; i < 50; ++i)
        out.Print("piece " + std::to_string(i), 2, true);
    out.FlushOneLine();
    EXPECT_EQ(view.runs.size(), 1u);

    view.atEnd = false;
    for (int i = 0; i < 10; ++i)
        out.FlushOneLine();
    EXPECT_EQ(view.runs.size(), 1u);
    EXPECT_EQ(out.QueuedPieces(), 49u);

    view.atEnd = true;
    for (int i = 0; i < 49; ++i)
        out.FlushOneLine();
    ASSERT_EQ(view.runs.size(), 50u);
    EXPECT_EQ(view.runs[49].text, "\npiece 49");
    out.FlushOneLine(); // an empty queue is fine
    EXPECT_EQ(view.runs.size(), 50u);
}

TEST_F(ChatOutputTest, EmbeddedLineFeedsStayInOnePiece)
{
    out.Print("one\ntwo", 8, true);
    out.FlushOneLine();
    ASSERT_EQ(view.runs.size(), 1u);
    EXPECT_EQ(view.runs[0].text, "one\ntwo");
    EXPECT_EQ(view.runs[0].colour, (Rgb{255, 0, 0}));
}

TEST_F(ChatOutputTest, UserListIsPreparedSortedWithoutCaseAndDrawnByKind)
{
    EXPECT_EQ(list.header, "No Info");
    EXPECT_EQ(list.columnWidth, 178);
    ASSERT_EQ(list.icons.size(), 2u);

    out.AddUser("carl", ChatOutput::kOtherFreq);
    out.AddUser("bob", ChatOutput::kOwnFreqSpec);
    out.AddUser("Alice", ChatOutput::kOwnFreq);
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"Alice", "bob", "carl"}));
    EXPECT_EQ(list.entries[0].colour, kYellow);
    EXPECT_EQ(list.entries[0].image, 0);
    EXPECT_EQ(list.entries[1].colour, kYellow);
    EXPECT_EQ(list.entries[1].image, 1);
    EXPECT_EQ(list.entries[2].colour, kLightBlue);

    out.SetUserKind("BOB", ChatOutput::kOtherFreqSpec);
    EXPECT_EQ(list.entries[1].colour, kLightBlue);
    EXPECT_EQ(list.entries[1].image, 1);

    out.RemoveUser("ALICE");
    out.RemoveUser("nobody");
    out.SetUserKind("nobody", ChatOutput::kOwnFreq);
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"bob", "carl"}));

    out.SetUserListTitle("Total Players: 2");
    EXPECT_EQ(list.header, "Total Players: 2");
}

TEST_F(ChatOutputTest, SpectatorIconIsAGreenSOnBlack)
{
    const Picture black = ChatOutput::UserIcon(0);
    const Picture s = ChatOutput::UserIcon(1);
    ASSERT_EQ(s.width, 17);
    ASSERT_EQ(s.height, 15);
    int green = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 17; ++x) {
            EXPECT_EQ(black.At(x, y), (Rgb{0, 0, 0}));
            if (s.At(x, y) == kGreen)
                ++green;
        }
    EXPECT_EQ(green, 4 + 1 + 1 + 3 + 1 + 1 + 4);
    EXPECT_EQ(s.At(8, 4), kGreen);
    EXPECT_EQ(s.At(11, 4), kGreen);
    EXPECT_EQ(s.At(7, 6), kGreen);
    EXPECT_EQ(s.At(11, 9), kGreen);
    EXPECT_EQ(s.At(7, 10), kGreen);
    EXPECT_EQ(s.At(11, 10), (Rgb{0, 0, 0}));
}

class ChatOutputLogTest : public ChatOutputTest {
protected:
    void SetUp() override { std::filesystem::create_directory(folder.Path() + "Logs"); }
    std::string LogFile(const std::string& name) { return ReadWholeFile(folder.Path() + "Logs/" + name); }
};

TEST_F(ChatOutputLogTest, LoggedPiecesJoinAsOnScreenWithoutTheQueuedLineFeed)
{
    out.ToggleLog("");
    out.Print("   Bob", 2);
    out.Print("> ", 2);
    out.Print("hello", 2, true);
    out.Print("next", 16, true);
    EXPECT_EQ(LogFile("session.log"), "Opened Logfile: session.log\r\n   Bob> hello\r\nnext\r\n");

    out.ToggleLog("other.txt"); // switches off; the name is not used
    out.Print("unlogged", 16, true);
    EXPECT_EQ(LogFile("session.log"), "Opened Logfile: session.log\r\n   Bob> hello\r\nnext\r\n");
    EXPECT_FALSE(FileExists(folder.Path() + "Logs/other.txt"));
    Drain();
    EXPECT_NE(view.ShownText().find("Closed Logfile: session.log"), std::string::npos);
}

TEST_F(ChatOutputLogTest, SaveBufferWritesTheShownTextThenLogsOn)
{
    WriteWholeFile(folder.Path() + "Logs/mine.log", "earlier\r\n");
    out.Print("first", 16, true);
    out.Print("second", 16, true);
    Drain();
    out.Print("still queued", 16, true);
    out.SaveBuffer("mine.log");
    EXPECT_EQ(LogFile("mine.log"), "earlier\r\nfirst\r\nsecondOpened Logfile: mine.log\r\n");
    EXPECT_TRUE(out.Logging());
}

TEST_F(ChatOutputLogTest, AnUnwritableLogDropsPiecesQuietly)
{
    std::filesystem::remove(folder.Path() + "Logs");
    out.ToggleLog("x.log");
    out.Print("lost", 16, true);
    EXPECT_TRUE(out.Logging());
    std::filesystem::create_directory(folder.Path() + "Logs");
    out.Print("found", 16, true);
    EXPECT_EQ(LogFile("x.log"), "found\r\n");
}

} // namespace
