#include "console/LineStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{160, 160, 255};
constexpr Rgb kWhite{255, 255, 255};

std::string TextOf(const LineStore& store, uint64_t line) { return std::string(store.At(line).text); }

TEST(LineStoreTest, PiecesBecomeLinesWithTheirColoursAndTheBand)
{
    LineStore store;
    store.Append("[12:00] ", kWhite, false);
    store.Append("Bob> ", kBlue, false);
    store.Append("hi", kBlue, false);
    store.Append("\nsecond", kGreen, true);
    store.Append("\n", kGreen, false);
    store.Append("\nfourth", kWhite, false);

    ASSERT_EQ(store.Count(), 4u);
    EXPECT_EQ(TextOf(store, 0), "[12:00] Bob> hi");
    EXPECT_EQ(TextOf(store, 1), "second");
    EXPECT_EQ(TextOf(store, 2), "");
    EXPECT_EQ(TextOf(store, 3), "fourth");
    // Pieces of one colour make one run; a run starts where its colour does.
    const LineStore::Line first = store.At(0);
    ASSERT_EQ(first.runCount, 2u);
    EXPECT_EQ(first.runs[0].at, 0u);
    EXPECT_EQ(first.runs[0].colour, kWhite);
    EXPECT_EQ(first.runs[1].at, 8u);
    EXPECT_EQ(first.runs[1].colour, kBlue);
    EXPECT_FALSE(first.marked);
    EXPECT_TRUE(store.At(1).marked);
    EXPECT_EQ(store.At(1).runCount, 1u);
    EXPECT_EQ(store.At(2).runCount, 0u);
    EXPECT_FALSE(store.At(3).marked);
    EXPECT_EQ(store.Text(), "[12:00] Bob> hi\nsecond\n\nfourth");
    EXPECT_EQ(store.EndPos(), (TextPos{3, 6}));
    EXPECT_EQ(store.Text(TextPos{0, 13}, TextPos{1, 3}), "hi\nsec");

    // A piece that starts the very first line with a break leaves an empty line above it, as shown.
    LineStore fresh;
    fresh.Append("\nskipped", kWhite, false);
    EXPECT_EQ(fresh.Text(), "\nskipped");

    // One endless line keeps its first bytes; the next line starts as usual.
    LineStore capped;
    const std::string mebibyte(size_t(1) << 20, 'x');
    for (int i = 0; i < 17; ++i)
        capped.Append(mebibyte, i % 2 ? kGreen : kBlue, false);
    capped.Append("\nafter", kWhite, false);
    EXPECT_EQ(capped.At(0).text.size(), size_t(16) << 20);
    EXPECT_EQ(capped.At(0).runCount, 16u);
    EXPECT_EQ(TextOf(capped, 1), "after");
}

TEST(LineStoreTest, LinesKeepTheirNumbersAcrossBlocksWhenTheOldestGo)
{
    LineStore store;
    for (int i = 0; i < 5000; ++i)
        store.Append((i ? "\nline " : "line ") + std::to_string(i), i % 2 ? kGreen : kBlue, i % 7 == 0);
    ASSERT_EQ(store.Count(), 5000u);
    for (uint64_t n : {0, 255, 256, 257, 511, 4999}) {
        EXPECT_EQ(TextOf(store, n), "line " + std::to_string(n));
        EXPECT_EQ(store.At(n).marked, n % 7 == 0) << n;
        EXPECT_EQ(store.At(n).runs[0].colour, n % 2 ? kGreen : kBlue) << n;
    }
    const size_t bytes = store.Bytes();
    EXPECT_EQ(bytes, store.Text().size() + 1);

    store.DropFirst(1500);
    EXPECT_EQ(store.First(), 1500u);
    EXPECT_EQ(store.End(), 5000u);
    EXPECT_EQ(store.Count(), 3500u);
    EXPECT_EQ(TextOf(store, 1500), "line 1500");
    EXPECT_EQ(TextOf(store, 4999), "line 4999");
    EXPECT_EQ(store.Text().substr(0, 20), "line 1500\nline 1501\n");
    EXPECT_EQ(store.Bytes(), store.Text().size() + 1);
    // A range that starts among the lines let go starts at the first one held.
    EXPECT_EQ(store.Text(TextPos{3, 0}, TextPos{1501, 4}), "line 1500\nline");
    // Text across a block's end has its break once.
    EXPECT_EQ(store.Text(TextPos{2047, 5}, TextPos{2048, 4}), "2047\nline");
    EXPECT_EQ(store.Text(TextPos{1791, 5}, TextPos{1792, 4}), "1791\nline");

    store.Append(" and more", kWhite, false);
    EXPECT_EQ(TextOf(store, 4999), "line 4999 and more");
    store.DropFirst(10000);
    EXPECT_TRUE(store.Empty());
    EXPECT_EQ(store.Text(), "");
    store.Append("again", kWhite, false);
    EXPECT_EQ(store.First(), 5000u);
    EXPECT_EQ(TextOf(store, 5000), "again");
}

TEST(LineStoreTest, FindGoesBothWaysWithoutRegardToCaseAndNeverIntoLinesLetGo)
{
    LineStore store;
    for (int i = 0; i < 3000; ++i)
        store.Append((i ? "\n" : "") + std::string(i % 1000 == 999 ? "a NEEDLE here " : "hay ") + std::to_string(i),
                     kWhite, false);
    TextPos found;
    ASSERT_TRUE(store.Find("needle", TextPos{0, 0}, true, found));
    EXPECT_EQ(found, (TextPos{999, 2}));
    ASSERT_TRUE(store.Find("needle", TextPos{999, 3}, true, found));
    EXPECT_EQ(found, (TextPos{1999, 2}));
    ASSERT_TRUE(store.Find("Needle", TextPos{1999, 2}, false, found));
    EXPECT_EQ(found, (TextPos{999, 2}));
    ASSERT_TRUE(store.Find("needle", store.EndPos(), false, found));
    EXPECT_EQ(found, (TextPos{2999, 2}));
    EXPECT_FALSE(store.Find("needle", TextPos{2999, 3}, true, found));
    EXPECT_FALSE(store.Find("hay\nhay", TextPos{0, 0}, true, found)) << "no match runs over a line's end";
    EXPECT_FALSE(store.Find("", TextPos{0, 0}, true, found));

    store.DropFirst(1000);
    ASSERT_TRUE(store.Find("NEEDLE", TextPos{0, 0}, true, found));
    EXPECT_EQ(found, (TextPos{1999, 2}));
    EXPECT_FALSE(store.Find("needle", TextPos{1999, 2}, false, found)) << "line 999 was let go";
    EXPECT_FALSE(store.Find("hay 8", TextPos{1500, 0}, false, found)) << "not even in the block that held it";
}

} // namespace
