#include "app/SettingsStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(SettingsStoreTest, AnEmptyStoreGivesDefaultsAndReadingCreatesNothing)
{
    TempHome home;
    {
        SettingsStore store;
        EXPECT_EQ(Settings::Read(store, Settings::ServerIP), "0.0.0.0");
        EXPECT_EQ(Settings::Read(store, Settings::ServerPort), "0");
        EXPECT_EQ(Settings::Read(store, Settings::FontName), "Arial");
        EXPECT_EQ(Settings::Read(store, Settings::FontSize), 8);
        EXPECT_EQ(Settings::Read(store, Settings::FontWeight), 92);
        EXPECT_FALSE(Settings::Read(store, Settings::ServerAutoConnect));
        EXPECT_EQ(store.ReadString("User", "Name", "fallback"), "fallback");
    }
    SettingsStore again;
    EXPECT_EQ(again.ReadString("User", "Name", "still default"), "still default");
    EXPECT_FALSE(FileExists(home.Path() + ".Quillon"));
}

TEST(SettingsStoreTest, WritesAreSeenThroughEveryHandleAndSurviveARestart)
{
    TempHome home;
    {
        SettingsStore frame, connection;
        frame.WriteString("Server", "IP", "127.0.0.1");
        frame.WriteInteger("Font", "FontSize", -12);
        frame.WriteBool("Server", "AutoConnect", true);
        connection.WriteString("User", "Name", "Sp\xE9" "cial name");
        EXPECT_EQ(connection.ReadString("Server", "IP", ""), "127.0.0.1");
        EXPECT_EQ(connection.ReadInteger("Font", "FontSize", 0), -12);
        EXPECT_TRUE(connection.ReadBool("Server", "AutoConnect", false));
        EXPECT_EQ(frame.ReadString("User", "Name", ""), "Sp\xE9" "cial name");
    }
    // A new process would open the file afresh; so does the last handle's successor.
    SettingsStore restarted;
    EXPECT_EQ(restarted.ReadString("Server", "IP", ""), "127.0.0.1");
    EXPECT_EQ(restarted.ReadString("User", "Name", ""), "Sp\xE9" "cial name");
    EXPECT_TRUE(FileExists(home.Path() + ".Quillon"));
}

TEST(SettingsStoreTest, GroupsKeepTheirKeysApart)
{
    TempHome home;
    SettingsStore store;
    store.WriteString("User", "Name", "pilot");
    store.WriteString("Server", "Name", "Zone One");
    store.WriteString("Arena", "Name", "duel");
    EXPECT_EQ(store.ReadString("User", "Name", ""), "pilot");
    EXPECT_EQ(store.ReadString("Server", "Name", ""), "Zone One");
    EXPECT_EQ(store.ReadString("Arena", "Name", ""), "duel");
}

} // namespace
