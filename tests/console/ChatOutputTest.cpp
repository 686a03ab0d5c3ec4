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
