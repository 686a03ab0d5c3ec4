#include "app/SettingsStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

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

} // namespace
