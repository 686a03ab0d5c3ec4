#include "console/ChatOutput.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class ChatOutputTest : public ::testing::Test {
protected:
    TempDir folder;
    FakeOutputView view;
    FakeUserListView list;
    ChatOutput out{view, list, folder.Path()};
};

TEST_F(ChatOutputTest, OnePieceShowsPerTickWithItsLineBreakInFront)
{
    out.Print("a", 16, true);
    out.Print("b", 0);
    out.Print("c", 3, true);
    out.FlushOneLine();
    EXPECT_EQ(view.ShownText(), "a");
    out.FlushOneLine();
    EXPECT_EQ(view.ShownText(), "a\nb");
    for (int i = 0; i < 3; ++i) // the last on an empty queue
        out.FlushOneLine();
    EXPECT_EQ(view.ShownText(), "a\nbc"); // never ends with an empty line
    EXPECT_EQ(out.QueuedPieces(), 0u);
}

// A server may send far more than one line per tick; the window then skips the oldest
// whole lines it has not shown, says so, and goes on with the newest.
TEST_F(ChatOutputTest, AFloodSkipsTheOldestUnshownLinesAndSaysHowMany)
{
    std::filesystem::create_directory(folder.Path() + "Logs");
    view.atEnd = false; // the user has scrolled back
    out.ToggleLog("flood.log");
    out.Print("Bob> first", 2, true);
    out.ToggleLog("flood.log");
    const size_t lines = ChatOutput::kMaxQueuedPieces / 2;
    for (size_t i = 0; i < lines; ++i) {
        out.Print("Bob> ", 2);
        out.Print("line " + std::to_string(i), 2, true);
    }
    EXPECT_EQ(out.QueuedPieces(), ChatOutput::kMaxQueuedPieces);
    view.atEnd = true;
    for (int tick = 0; tick < 3; ++tick)
        out.FlushOneLine();
    // Skipped: the log's opening and closing lines and the first line.
    EXPECT_EQ(view.ShownText(), "\n(3 lines skipped: they came faster than the window can show them)\nBob> line 0");
    EXPECT_EQ(view.runs[0].colour, ChatOutput::SlotColour(ChatOutput::kSlotWhite));
    EXPECT_EQ(ReadWholeFile(folder.Path() + "Logs/flood.log"), "Opened Logfile: flood.log\r\nBob> first\r\n");

    // Bytes count too: three lines of 3 MiB keep the newest two.
    ChatOutput big{view, list, folder.Path()};
    for (char c : {'a', 'b', 'c'})
        big.Print(std::string(size_t(3) << 20, c), 2, true);
    EXPECT_EQ(big.QueuedPieces(), 2u);
}

TEST_F(ChatOutputTest, AnUnwritableLogDropsPiecesQuietly)
{
    out.ToggleLog("x.log"); // no Logs folder yet
    out.Print("lost", 16, true);
    EXPECT_TRUE(out.Logging());
    std::filesystem::create_directory(folder.Path() + "Logs");
    out.Print("found", 16, true);
    EXPECT_EQ(ReadWholeFile(folder.Path() + "Logs/x.log"), "found\r\n");
}

} // namespace
