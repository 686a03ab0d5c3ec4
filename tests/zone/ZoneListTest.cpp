#include "zone/ZoneList.h"

#include "support/MemorySettings.h"
#include "zone/TextFile.h"

#include <gtest/gtest.h>

namespace {

ZoneEntry Entry(const std::string& name, const std::string& port = "5000")
{
    ZoneEntry entry;
    entry.name = name;
    entry.userName = name + " player";
    entry.password = "pw " + name;
    entry.ip = "10.0.0." + std::to_string(name.size());
    entry.port = port;
    entry.arena = "duel";
    entry.chats = "one,two";
    entry.autoCommands = "?away back soon";
    entry.autoConnect = true;
    return entry;
}

// Existing settings files keep working: the first zone is where it always was,
// the others are in groups of their own under the names users and tools see.
TEST(ZoneListTest, TheFirstZoneStaysInItsGroupsAndTheOthersAreNumberedGroups)
{
    MemorySettings settings;
    settings.WriteString("User", "Name", "Old Hand");
    settings.WriteString("Server", "Port", "2000");
    EXPECT_EQ(ZoneList::Count(settings), 1);
    EXPECT_EQ(ZoneList::Read(settings, 0).userName, "Old Hand");
    EXPECT_EQ(ZoneList::Read(settings, 0).ip, "0.0.0.0");

    EXPECT_EQ(ZoneList::Add(settings, Entry("Second")), 1);
    EXPECT_EQ(ZoneList::Add(settings, Entry("Third")), 2);
    EXPECT_EQ(ZoneList::Count(settings), 3);
    EXPECT_EQ(settings.ReadInteger("Zones", "Count", 0), 2);
    EXPECT_EQ(ZoneList::Read(settings, 1), Entry("Second"));
    EXPECT_EQ(ZoneList::Read(settings, 2), Entry("Third"));
    for (const char* key : {"Name", "IP", "Port", "UserName", "Password", "Arena", "Chats", "Auto", "AutoConnect"})
        EXPECT_TRUE(settings.Has("Zone2", key)) << key;
    EXPECT_EQ(settings.ReadString("Zone2", "UserName", ""), "Third player");
    // The first zone was not touched by the others.
    EXPECT_EQ(settings.ReadString("User", "Name", ""), "Old Hand");
    EXPECT_EQ(settings.ReadString("Server", "Port", ""), "2000");

    ZoneList::Write(settings, 0, Entry("First"));
    EXPECT_EQ(settings.ReadString("Server", "Name", ""), "First");
    EXPECT_EQ(settings.ReadString("Arena", "Name", ""), "duel");
    EXPECT_EQ(settings.ReadString("User", "Auto", ""), "?away back soon");
}

TEST(ZoneListTest, RemovingAZoneMovesTheLaterOnesUpAndTheFirstCannotBeRemoved)
{
    MemorySettings settings;
    for (const char* name : {"B", "C", "D"})
        ZoneList::Add(settings, Entry(name));
    ZoneEntry quiet = Entry("E");
    quiet.autoConnect = false;
    quiet.password.clear();
    ZoneList::Add(settings, quiet);

    ZoneList::Remove(settings, 2);
    EXPECT_EQ(ZoneList::Count(settings), 4);
    EXPECT_EQ(ZoneList::Read(settings, 1).name, "B");
    EXPECT_EQ(ZoneList::Read(settings, 2).name, "D");
    // Nothing of the zone that moved up is left from the one it replaced.
    EXPECT_EQ(ZoneList::Read(settings, 3), quiet);
    EXPECT_FALSE(settings.Has("Zone4", "Name"));

    ZoneList::Remove(settings, 0);
    ZoneList::Remove(settings, 4);
    ZoneList::Remove(settings, -1);
    EXPECT_EQ(ZoneList::Count(settings), 4);
    for (int i = 0; i < 3; ++i)
        ZoneList::Remove(settings, 1);
    EXPECT_EQ(ZoneList::Count(settings), 1);
    EXPECT_FALSE(settings.Has("Zone1", "Name"));

    // A count from a damaged file stays within bounds.
    settings.WriteInteger("Zones", "Count", -7);
    EXPECT_EQ(ZoneList::Count(settings), 1);
    settings.WriteInteger("Zones", "Count", 1 << 30);
    EXPECT_EQ(ZoneList::Count(settings), ZoneList::kMaxZones);
    // A group left beyond the count by a hand edit is not mixed into a new zone.
    settings.WriteInteger("Zones", "Count", 0);
    settings.WriteString("Zone1", "Weird", "left over");
    ZoneList::Add(settings, Entry("F"));
    EXPECT_FALSE(settings.Has("Zone1", "Weird"));
}

// A zone's client reads its login, server and arena through this view, and
// the window's and the font's settings are the same for every zone.
TEST(ZoneListTest, AZonesViewReadsAndWritesItsOwnGroupAndSharesTheRest)
{
    MemorySettings settings;
    ZoneList::Add(settings, Entry("Second", "6000"));
    settings.WriteString("Server", "Port", "2000");
    settings.WriteInteger("Font", "FontSize", 12);

    ZoneSettings first(settings, 0), second(settings, 1);
    EXPECT_EQ(Settings::Read(first, Settings::ServerPort), "2000");
    EXPECT_EQ(Settings::Read(second, Settings::ServerPort), "6000");
    EXPECT_EQ(Settings::Read(second, Settings::UserName), "Second player");
    EXPECT_EQ(Settings::Read(second, Settings::ArenaName), "duel");
    EXPECT_TRUE(Settings::Read(second, Settings::ServerAutoConnect));
    EXPECT_FALSE(Settings::Read(first, Settings::ServerAutoConnect));
    EXPECT_EQ(Settings::Read(second, Settings::FontSize), 12);
    EXPECT_EQ(Settings::Read(second, Settings::ServerIP), "10.0.0.6");

    Settings::Write(second, Settings::WindowTimestamps, true);
    EXPECT_TRUE(Settings::Read(first, Settings::WindowTimestamps));
    Settings::Write(second, Settings::UserPassword, "changed");
    EXPECT_EQ(settings.ReadString("Zone1", "Password", ""), "changed");
    EXPECT_EQ(settings.ReadString("User", "Password", "none"), "none");
    // A key without a name of its own in a zone's group still stays in that group.
    second.WriteString("Server", "Extra", "x");
    EXPECT_EQ(settings.ReadString("Server", "Extra", "none"), "none");
    EXPECT_EQ(second.ReadString("Server", "Extra", ""), "x");
    EXPECT_FALSE(second.DeleteGroup("User"));
    EXPECT_EQ(Settings::Read(second, Settings::UserName), "Second player");

    // After a zone before it was removed, the view follows its zone to its new place.
    ZoneList::Add(settings, Entry("Third", "7000"));
    ZoneSettings third(settings, 2);
    ZoneList::Remove(settings, 1);
    third.SetIndex(1);
    EXPECT_EQ(Settings::Read(third, Settings::ServerPort), "7000");
}

TEST(ZoneListTest, AZoneNeedsANameOfItsOwnAndAPortFrom1To65535)
{
    MemorySettings settings;
    settings.WriteString("Server", "Name", "Home");
    ZoneList::Add(settings, Entry("Away"));
    EXPECT_EQ(ZoneList::Check(settings, -1, Entry("New")), "");
    EXPECT_EQ(ZoneList::Check(settings, -1, Entry("New", "1")), "");
    EXPECT_EQ(ZoneList::Check(settings, -1, Entry("New", "65535")), "");
    for (const char* port : {"", "0", "65536", "99999", "123456", "abc", "+80", "-1", " 80", "80 "})
        EXPECT_EQ(ZoneList::Check(settings, -1, Entry("New", port)), "The port must be a whole number from 1 to 65535.")
            << '"' << port << '"';
    for (const char* name : {"", " ", " \t "})
        EXPECT_EQ(ZoneList::Check(settings, -1, Entry(name)), "A zone needs a name.");
    EXPECT_EQ(ZoneList::Check(settings, -1, Entry("home")), "Another zone in the list is already called \"home\".");
    EXPECT_EQ(ZoneList::Check(settings, -1, Entry("AWAY")), "Another zone in the list is already called \"AWAY\".");
    // Its own name is no clash when a zone is edited.
    EXPECT_EQ(ZoneList::Check(settings, 1, Entry("away")), "");
    EXPECT_EQ(ZoneList::Check(settings, 0, Entry("Home")), "");
    EXPECT_NE(ZoneList::Check(settings, 0, Entry("Away")), "");
}

TEST(ZoneListTest, AZonesFolderIsItsNameAsAFileNameEveryPlatformCanHold)
{
    const std::string sep(1, kPathSeparator);
    const auto folder = [&](const std::string& name) { return "Zones" + sep + name + sep; };
    EXPECT_EQ(ZoneList::FolderOf("Demo zone (2)"), folder("Demo zone (2)"));
    EXPECT_EQ(ZoneList::FolderOf("a/b\\c:d*e?\"<>|"), folder("a_b_c_d_e_____"));
    EXPECT_EQ(ZoneList::FolderOf(".."), folder("zone"));
    EXPECT_EQ(ZoneList::FolderOf("  "), folder("zone"));
    EXPECT_EQ(ZoneList::FolderOf(" .hidden. "), folder("hidden"));
    EXPECT_EQ(ZoneList::FolderOf("CON"), folder("_CON"));
    EXPECT_EQ(ZoneList::FolderOf("caf\xE9\x01"), folder("caf__"));
    EXPECT_EQ(ZoneList::FolderOf(std::string(200, 'x')), folder(std::string(64, 'x')));
    EXPECT_EQ(ZoneList::FolderOf(std::string(63, 'x') + " y"), folder(std::string(63, 'x')));
}

} // namespace
