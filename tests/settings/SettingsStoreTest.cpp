#include "settings/SettingsStore.h"

#include "support/TempDir.h"
#include "zone/ZoneList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(SettingsStoreTest, ReadingCreatesNothingAndWritesAreSeenThroughEveryHandleAndAfterARestart)
{
    TempHome home;
    {
        SettingsStore frame, connection;
        EXPECT_EQ(Settings::Read(frame, Settings::ServerIP), "0.0.0.0");
        EXPECT_FALSE(FileExists(home.Path() + ".Quillon"));
        frame.WriteString("Server", "IP", "127.0.0.1");
        frame.WriteInteger("Font", "FontSize", -12);
        connection.WriteString("User", "Name", "J\xF6rg");
        EXPECT_EQ(connection.ReadString("Server", "IP", ""), "127.0.0.1");
        EXPECT_EQ(connection.ReadInteger("Font", "FontSize", 0), -12);
        EXPECT_EQ(frame.ReadString("User", "Name", ""), "J\xF6rg");
    }
    // A new process would open the file afresh; so does the last handle's successor.
    SettingsStore restarted;
    EXPECT_EQ(restarted.ReadString("Server", "IP", ""), "127.0.0.1");
    EXPECT_EQ(restarted.ReadString("User", "Name", ""), "J\xF6rg");
}

// It holds the password: only its owner may read it, from the first write on,
// and a file an older version left open to others is closed at the next start.
TEST(SettingsStoreTest, TheFileIsReadableByItsOwnerAlone)
{
    TempHome home;
    const std::string file = home.Path() + ".Quillon";
    const auto mode = [&] { return std::filesystem::status(file).permissions() & std::filesystem::perms::all; };
    const mode_t old = umask(0022);
    SettingsStore().WriteString("User", "Password", "secret");
    EXPECT_EQ(mode(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(file, std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    SettingsStore reopened;
    EXPECT_EQ(mode(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // Opened to others while the program runs: the next write closes it again.
    std::filesystem::permissions(file, std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    reopened.WriteString("User", "Name", "Alice");
    EXPECT_EQ(mode(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    umask(old);
}

// Passwords, names and automatic commands may hold anything a user types.
TEST(SettingsStoreTest, ValuesReadBackAsTypedAndTheFileHoldsTheirCharacters)
{
    TempHome home;
    const std::string password = "pa$HOME${USER}\\x%PATH%";
    const std::string euro = "\x80 5 \x8Cuvre"; // Windows-1252: euro sign, capital OE
    SettingsStore store;
    store.WriteString("User", "Password", password);
    store.WriteString("User", "Auto", euro);
    EXPECT_EQ(store.ReadString("User", "Password", ""), password);
    const std::string file = ReadWholeFile(home.Path() + ".Quillon");
    EXPECT_NE(file.find("\u20AC 5 \u0152uvre"), std::string::npos) << file;

    // Edited by hand while the program runs: read at once, and a character the
    // code page lacks costs that character, not the value.
    WriteWholeFile(home.Path() + ".Quillon", file + "[Arena]\nName=duel \u03A9\n");
    EXPECT_EQ(store.ReadString("Arena", "Name", ""), "duel ?");
    store.WriteString("Server", "IP", "10.0.0.1"); // and a write keeps the edit
    EXPECT_EQ(store.ReadString("User", "Auto", ""), euro);
    EXPECT_EQ(store.ReadString("Arena", "Name", ""), "duel ?");
}

} // namespace

// The Server List over the real file: what a user opening ~/.Quillon would find.
TEST(SettingsStoreTest, SavedZonesAreGroupsOfTheFileAndARemovedOneLeavesNoTrace)
{
    TempHome home;
    SettingsStore settings;
    settings.WriteString("Server", "Name", "Home");
    ZoneEntry away;
    away.name = "Away";
    away.userName = "Roamer";
    away.ip = "192.0.2.7";
    away.port = "5001";
    ZoneList::Add(settings, away);
    ZoneEntry third = away;
    third.name = "Third";
    ZoneList::Add(settings, third);
    const std::string text = ReadWholeFile(home.Path() + ".Quillon");
    EXPECT_NE(text.find("[Zones]\nCount=2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Zone1]\nName=Away\nUserName=Roamer\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Server]\nName=Home\n"), std::string::npos) << text;

    ZoneList::Remove(settings, 1);
    const std::string after = ReadWholeFile(home.Path() + ".Quillon");
    EXPECT_EQ(after.find("[Zone2]"), std::string::npos) << after;
    EXPECT_EQ(SettingsStore().ReadString("Zone1", "Name", ""), "Third");
    EXPECT_TRUE(settings.DeleteGroup("NeverThere"));
}
