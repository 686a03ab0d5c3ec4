#include "console/TextFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> ReadAllLines(const std::string& path)
{
    std::vector<std::string> lines;
    TextFile file(path);
    if (!file.Open())
        return lines;
    while (!file.AtEnd()) {
        std::string line = file.ReadLine();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

TEST(TextFileTest, LineEndingsOfEveryKindReadTheSame)
{
    TempDir dir;
    const std::vector<std::string> expected{"Bob", " spaced ", "carl"};
    for (const std::string& bytes : {std::string("Bob\r\n spaced \r\ncarl\r\n"), std::string("Bob\n spaced \ncarl"),
                                     std::string("\n\nBob\r\n\r\n spaced \n\ncarl\n\n"), std::string("Bo\rb\n spaced \ncarl")}) {
        WriteWholeFile(dir.Path() + "names.txt", bytes);
        EXPECT_EQ(ReadAllLines(dir.Path() + "names.txt"), expected) << bytes;
    }
}

TEST(TextFileTest, OpenNeverCreatesButCreateDoes)
{
    TempDir dir;
    TextFile missing(dir.Path() + "missing.txt");
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(FileExists(dir.Path() + "missing.txt"));
    EXPECT_TRUE(missing.Create());
    EXPECT_TRUE(missing.WriteLine("one"));
    missing.Close();
    EXPECT_EQ(ReadWholeFile(dir.Path() + "missing.txt"), "one\r\n");
}

TEST(TextFileTest, WriteTextFileAppendsOrReplaces)
{
    TempDir dir;
    EXPECT_TRUE(WriteTextFile(dir.Path(), "f.txt", "a", true));
    EXPECT_TRUE(WriteTextFile(dir.Path(), "f.txt", "b\r\n", true));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "f.txt"), "ab\r\n");
    EXPECT_TRUE(WriteTextFile(dir.Path(), "f.txt", "new", false));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "f.txt"), "new");
    EXPECT_FALSE(WriteTextFile(dir.Path(), "no-such-folder/f.txt", "x", true));
}

} // namespace
