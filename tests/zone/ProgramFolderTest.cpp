#include "zone/ProgramFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

TEST(ProgramFolderTest, AnInstalledProgramKeepsItsFilesInTheUsersDataFolder)
{
    TempHome home;
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ChooseProgramFolder(home.Path(), [](const std::string&) { return true; }), home.Path());
    const auto readOnly = [](const std::string&) { return false; };
    const std::string chosen = ChooseProgramFolder("/usr/bin/", readOnly);
    EXPECT_EQ(chosen, home.Path() + ".local/share/Quillon/");
    EXPECT_TRUE(std::filesystem::is_directory(chosen));

    TempDir data;
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    EXPECT_EQ(ChooseProgramFolder("/usr/bin/", readOnly), data.Path() + "Quillon/");
    // A relative XDG_DATA_HOME is not valid and is ignored.
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(ChooseProgramFolder("/usr/bin/", readOnly), home.Path() + ".local/share/Quillon/");
    unsetenv("XDG_DATA_HOME");
}

// A per-user install can be written, yet its files belong in the user's folder,
// where the uninstaller leaves them alone.
TEST(ProgramFolderTest, ACopyWithItsUninstallerBesideItIsAnInstalledOne)
{
    TempHome home;
    unsetenv("XDG_DATA_HOME");
    TempDir program;
    const auto writable = [](const std::string&) { return true; };
    EXPECT_EQ(ChooseProgramFolder(program.Path(), writable), program.Path());
    WriteWholeFile(program.Path() + "uninstall.exe", "MZ");
    EXPECT_EQ(ChooseProgramFolder(program.Path(), writable), home.Path() + ".local/share/Quillon/");
}

// Asked for real: a file is made and removed, so nothing is left behind.
TEST(ProgramFolderTest, AFolderIsWritableWhenAFileCanBeMadeInIt)
{
    TempDir dir;
    EXPECT_TRUE(CanWriteIn(dir.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_FALSE(CanWriteIn(dir.Path() + "missing"));
    WriteWholeFile(dir.Path() + "plain", "a file, not a folder");
    EXPECT_FALSE(CanWriteIn(dir.Path() + "plain"));
}

TEST(ProgramFolderTest, EventsAppendTimeStampedLinesAfterWhatWasThere)
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
