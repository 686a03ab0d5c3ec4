#include "console/ChatOutput.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const Rgb kWhite{255, 255, 255};

class ChatOutputTest : public ::testing::Test {
protected:
    ChatOutputTest() { std::filesystem::create_directory(folder.Path() + "Logs"); }
    void Drain()
    {
        while (out.QueuedPieces() > 0)
            out.FlushOneLine();
    }
    std::string LogFile(const std::string& name) { return ReadWholeFile(folder.Path() + "Logs/" + name); }

    TempDir folder;
    FakeOutputView view;
    FakeUserListView list;
    ChatOutput out{view, list, folder.Path()};
};

TEST_F(ChatOutputTest, LineBreaksGoInFrontOfTheNextPieceAndEachSlotHasItsColour)
{
    out.Print("a", 16, true);
    out.Print("b", 0);
    out.Print("c", 3, true);
    out.Print("one\ntwo", 8, true);
    Drain();
    EXPECT_EQ(view.ShownText(), "a\nbc\none\ntwo"); // never ends with an empty line
    ASSERT_EQ(view.runs.size(), 4u);
    EXPECT_EQ(view.runs[2].text, "c");

    const Rgb green{0, 255, 0}, blue{160, 160, 255}, yellow{255, 255, 0}, red{255, 0, 0};
    const Rgb slots[] = {green, blue, blue, yellow, blue, green, red, green, red, {255, 128, 0}};
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(ChatOutput::SlotColour(slot), slots[slot]) << slot;
    for (int slot : {10, 16, -1, 1000})
        EXPECT_EQ(ChatOutput::SlotColour(slot), kWhite) << slot;
    EXPECT_EQ(view.runs[0].colour, kWhite);
    EXPECT_EQ(view.runs[3].colour, red);
}

TEST_F(ChatOutputTest, OnePieceShowsPerTickAndNoneWhileScrolledBack)
{
    for (int i = 0; i < 50; ++i)
        out.Print("piece " + std::to_string(i), 2, true);
    out.FlushOneLine();
    view.atEnd = false;
    for (int i = 0; i < 10; ++i)
        out.FlushOneLine();
    EXPECT_EQ(view.runs.size(), 1u);
    EXPECT_EQ(out.QueuedPieces(), 49u);

    view.atEnd = true;
    for (int i = 0; i < 50; ++i) // the last on an empty queue
        out.FlushOneLine();
    ASSERT_EQ(view.runs.size(), 50u);
    EXPECT_EQ(view.runs[49].text, "\npiece 49");
}

TEST_F(ChatOutputTest, TheLogJoinsPiecesAsShownWithCrLfAndStopsWithoutUsingTheName)
{
    out.ToggleLog("");
    out.Print("   Bob", 2);
    out.Print("> ", 2);
    out.Print("hello", 2, true);
    out.Print("next", 16, true);
    out.ToggleLog("other.txt");
    out.Print("unlogged", 16, true);
    EXPECT_EQ(LogFile("session.log"), "Opened Logfile: session.log\r\n   Bob> hello\r\nnext\r\n");
    EXPECT_FALSE(FileExists(folder.Path() + "Logs/other.txt"));
    Drain();
    EXPECT_NE(view.ShownText().find("Closed Logfile: session.log"), std::string::npos);
}

TEST_F(ChatOutputTest, SaveBufferAppendsTheShownTextThenLogsOn)
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

TEST_F(ChatOutputTest, AnUnwritableLogDropsPiecesQuietly)
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
