// Several zones in one window: a tab each, the Server List, AutoConnect, and the
// keys between tabs. Two zone simulators on loopback stand for two servers.
#include "GuiTest.h"
#include "ModalScript.h"

#include "app/CFGDialog.h"
#include "app/ServerListDialog.h"
#include "app/ZoneTab.h"
#include "zone/ZoneList.h"

#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>

#include <filesystem>

namespace {

ZoneEntry ZoneAt(uint16_t port, const std::string& name, const std::string& player, bool autoConnect = false)
{
    ZoneEntry entry;
    entry.name = name;
    entry.userName = player;
    entry.ip = "127.0.0.1";
    entry.port = std::to_string(port);
    entry.autoConnect = autoConnect;
    return entry;
}

// Alpha is the first zone (the settings dialog's), Beta the first of the Server
// List's others. Each has Bob in its arena and a map of its own under the same name.
class ZonesTest : public FrameTest {
protected:
    static constexpr uint16_t kBob = 5;

    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            ArenaScript script;
            script.players = {SimPlayer{kBob, "Bob", "", 8, 4}};
            script.map = SimMap{"zones-test.lvl", std::string(i == 0 ? "alpha" : "beta") + " map", {}, {}};
            servers_[i] = std::make_unique<ZoneServer>(*sims_[i], script);
        }
        SettingsStore settings;
        ZoneList::Write(settings, 0, ZoneAt(sims_[0]->Port(), "Alpha", "Staffer"));
        poller_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            for (auto& sim : sims_)
                sim->Poll();
        });
        poller_.Start(2);
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        poller_.Stop();
        for (auto& sim : sims_)
            EXPECT_EQ(sim->Violations(), std::vector<std::string>{});
    }

    ZoneServer& Alpha() { return *servers_[0]; }
    ZoneServer& Beta() { return *servers_[1]; }
    void AddBeta(bool autoConnect)
    {
        SettingsStore settings;
        ZoneList::Add(settings, ZoneAt(sims_[1]->Port(), "Beta", "Roamer", autoConnect));
    }
    ZoneTab& Tab(int position) { return frame_->Tab(position); }
    std::string Label(int position) { return frame_->Tabs().GetPageText(size_t(position)).ToStdString(); }
    bool InArena(int position, const std::string& other = "Bob")
    {
        ::Zone& zone = Tab(position).Client().GetZone();
        return zone.InArena() && zone.players.FindByName(other) != PlayerTable::kNoPlayer;
    }
    // The lines a tab's output holds, as one text.
    std::string Shown(int position)
    {
        const LineStore& lines = Tab(position).Output().Lines();
        std::string text;
        for (uint64_t n = lines.First(); n < lines.End(); ++n)
            text.append(lines.At(n).text).push_back('\n');
        return text;
    }
    // Types a line into the input line with real key presses and sends it.
    void Type(const std::string& line)
    {
        FocusInput();
        wxUIActionSimulator sim;
        sim.Text(line.c_str());
        sim.Char(WXK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return frame_->Input().IsEmpty(); }));
    }
    bool Heard(ZoneServer& server, const std::string& text)
    {
        for (const HeardChat& chat : server.Chats())
            if (chat.text == text)
                return true;
        return false;
    }
    void Key(int key, int modifiers)
    {
        FocusInput();
        wxUIActionSimulator().Char(key, modifiers);
        PumpPending();
    }
    int Active() { return frame_->Tabs().GetSelection(); }

    SteadyClock clock_;
    std::unique_ptr<ZoneSim> sims_[2] = {std::make_unique<ZoneSim>(clock_), std::make_unique<ZoneSim>(clock_)};
    std::unique_ptr<ZoneServer> servers_[2];
    wxTimer poller_;
};

// A zone with AutoConnect comes up by itself in a tab of its own; chat lands in
// its own tab, typed lines go to the zone in front, and each zone keeps its files
// in a folder of its own.
TEST_F(ZonesTest, TwoZonesAtOnceEachInItsTabWithItsOwnNameFilesAndLines)
{
    AddBeta(true);
    OpenFrame();
    ASSERT_EQ(frame_->TabCount(), 2);
    EXPECT_EQ(Active(), 0);
    ASSERT_TRUE(PumpUntil([&] { return InArena(1); }, 15000));
    // Alpha's AutoConnect is off: nothing went to it before Connect.
    EXPECT_TRUE(Alpha().Logins().empty());
    ASSERT_EQ(Beta().Logins().size(), 1u);
    EXPECT_EQ(Beta().Logins()[0].name, "Roamer");

    Command(kIdConnect);
    ASSERT_TRUE(PumpUntil([&] { return InArena(0); }, 15000));
    ASSERT_EQ(Alpha().Logins().size(), 1u);
    EXPECT_EQ(Alpha().Logins()[0].name, "Staffer");

    // Chat from Beta's Bob lands in Beta's tab alone, counted while it is behind.
    Tab(0).MarkSeen();
    Beta().SendChat(2, kBob, "beta only");
    ASSERT_TRUE(PumpUntil([&] { return Shown(1).find("Bob> beta only") != std::string::npos; }));
    EXPECT_EQ(Shown(0).find("beta only"), std::string::npos);
    EXPECT_TRUE(PumpUntil([&] { return Label(1) == "Beta (" + std::to_string(Tab(1).Unseen()) + ")"; }));
    EXPECT_GT(Tab(1).Unseen(), 0u);
    EXPECT_EQ(Label(0), "Alpha");
    // A mention behind gets the mark.
    Beta().SendChat(2, kBob, "Roamer, over here");
    EXPECT_TRUE(PumpUntil([&] { return Label(1).find("!)") != std::string::npos; })) << Label(1);

    Type("to alpha");
    ASSERT_TRUE(PumpUntil([&] { return Heard(Alpha(), "to alpha"); }));
    Key('2', wxMOD_ALT);
    ASSERT_EQ(Active(), 1);
    EXPECT_EQ(Label(1), "Beta");
    Type("to beta");
    ASSERT_TRUE(PumpUntil([&] { return Heard(Beta(), "to beta"); }));
    EXPECT_FALSE(Heard(Beta(), "to alpha"));
    EXPECT_FALSE(Heard(Alpha(), "to beta"));

    // Each zone's map and log in its own folder: Alpha's where they always were.
    const std::string alphaFolder = Tab(0).Folder();
    const std::string betaFolder = Tab(1).Folder();
    EXPECT_EQ(betaFolder, alphaFolder + "Zones/Beta/");
    ASSERT_TRUE(PumpUntil(
        [&] {
            return ReadWholeFile(alphaFolder + "Maps/zones-test.lvl") == "alpha map" &&
                   ReadWholeFile(betaFolder + "Maps/zones-test.lvl") == "beta map";
        },
        15000));
    Type("?logbuffer zones-test.log");
    EXPECT_TRUE(PumpUntil([&] {
        return ReadWholeFile(betaFolder + "Logs/zones-test.log").find("Bob> beta only") != std::string::npos;
    }));
    EXPECT_FALSE(FileExists(alphaFolder + "Logs/zones-test.log"));
    std::filesystem::remove(betaFolder + "Logs/zones-test.log");

    // A file one zone sent is not another zone's to ask for.
    Alpha().PushFile("zones-test.txt", "alpha's file");
    ASSERT_TRUE(PumpUntil([&] { return ReadWholeFile(alphaFolder + "Files/zones-test.txt") == "alpha's file"; }));
    Beta().RequestFile("zones-test.txt", "taken.txt");
    Alpha().RequestFile("zones-test.txt", "given.txt");
    ASSERT_TRUE(PumpUntil([&] { return !Alpha().Files().empty(); }));
    EXPECT_EQ(Alpha().Files()[0].contents, "alpha's file");
    EXPECT_TRUE(PumpUntil(
        [&] { return Shown(1).find("Failed to open file for sending: zones-test.txt") != std::string::npos; }));
    EXPECT_TRUE(Beta().Files().empty());
    std::filesystem::remove(alphaFolder + "Files/zones-test.txt");
}

// One zone drops us and comes back by itself; the other never notices.
TEST_F(ZonesTest, OneZoneDropsAndReconnectsWhileTheOtherStays)
{
    AddBeta(true);
    SettingsStore().WriteBool("Server", "AutoConnect", true);
    OpenFrame();
    ASSERT_TRUE(PumpUntil([&] { return InArena(0) && InArena(1); }, 15000));
    sims_[1]->Peer()->Disconnect();
    ASSERT_TRUE(PumpUntil([&] { return !Tab(1).Client().GetZone().InArena(); }));
    EXPECT_TRUE(Tab(1).Client().Connected()) << "a reconnect is pending";
    // The reconnect countdown runs in ticks; these are Beta's alone.
    for (int tick = 0; tick < 3100 && Beta().Logins().size() < 2; ++tick)
        Tab(1).Client().Step();
    ASSERT_TRUE(PumpUntil([&] { return InArena(1) && Beta().Logins().size() == 2; }, 15000));
    EXPECT_EQ(Alpha().Logins().size(), 1u);
    EXPECT_TRUE(InArena(0));
    Alpha().SendChat(2, kBob, "alpha still here");
    EXPECT_TRUE(PumpUntil([&] { return Shown(0).find("Bob> alpha still here") != std::string::npos; }));
}

TEST_F(ZonesTest, CtrlPageKeysAltNumbersAndCtrlWMoveBetweenAndCloseTabs)
{
    AddBeta(true);
    SettingsStore settings;
    ZoneList::Add(settings, ZoneAt(9, "Gamma", "G", true));
    OpenFrame();
    ASSERT_EQ(frame_->TabCount(), 3);
    Key(WXK_PAGEDOWN, wxMOD_CONTROL);
    EXPECT_EQ(Active(), 1);
    Key(WXK_PAGEDOWN, wxMOD_CONTROL);
    Key(WXK_PAGEDOWN, wxMOD_CONTROL);
    EXPECT_EQ(Active(), 0);
    Key(WXK_PAGEUP, wxMOD_CONTROL);
    EXPECT_EQ(Active(), 2);
    Key('1', wxMOD_ALT);
    EXPECT_EQ(Active(), 0);
    Key('9', wxMOD_ALT);
    EXPECT_EQ(Active(), 0);
    Key('3', wxMOD_ALT);
    EXPECT_EQ(Active(), 2);
    // File → Connect and DisConnect follow the tab in front.
    wxMenuBar* bar = frame_->GetMenuBar();
    EXPECT_FALSE(bar->IsEnabled(kIdConnect));
    Command(kIdDisconnect);
    EXPECT_FALSE(Tab(2).Client().Connected());
    EXPECT_TRUE(Tab(1).Client().Connected());
    EXPECT_TRUE(bar->IsEnabled(kIdConnect));

    // Ctrl+W: Beta says goodbye and its tab goes.
    ASSERT_TRUE(PumpUntil([&] { return InArena(1); }, 15000));
    Key('2', wxMOD_ALT);
    Key('w', wxMOD_CONTROL);
    ASSERT_EQ(frame_->TabCount(), 2);
    EXPECT_EQ(Tab(1).ZoneName(), "Gamma");
    EXPECT_TRUE(PumpUntil([&] { return sims_[1]->Peer()->Tally().clientDisconnects > 0; })) << "no goodbye";
    Key('w', wxMOD_CONTROL);
    ASSERT_EQ(frame_->TabCount(), 1);
    // The last tab stays; Ctrl+W there only disconnects.
    Command(kIdConnect);
    EXPECT_TRUE(Tab(0).Client().Connected());
    Key('w', wxMOD_CONTROL);
    ASSERT_EQ(frame_->TabCount(), 1);
    EXPECT_FALSE(Tab(0).Client().Connected());
}

// The Server List: the first zone and the saved ones, Add with its fields
// checked, Edit, Remove, and Connect opening the zone's tab.
TEST_F(ZonesTest, TheServerListAddsEditsRemovesAndConnectsZones)
{
    OpenFrame();
    std::vector<std::string> warnings;
    const auto warning = [&](wxDialog& box) {
        warnings.push_back(dynamic_cast<wxMessageDialog&>(box).GetMessage().ToStdString());
        return int(wxID_OK);
    };
    {
        ModalScript script;
        script.ThenWhileShown([&](wxDialog& d) {
            auto& list = dynamic_cast<ServerListDialog&>(d);
            EXPECT_EQ(list.List().GetItemCount(), 1);
            EXPECT_EQ(list.List().GetItemText(0, 0), "Alpha");
            EXPECT_EQ(list.List().GetItemText(0, 3), "Staffer");
            EXPECT_FALSE(d.FindWindow(ServerListDialog::kIdRemove)->IsEnabled()) << "the first zone stays";
            ClickChild(d, ServerListDialog::kIdAdd);
            EXPECT_TRUE(PumpUntil([&] { return list.List().GetItemCount() == 2; }));
            EXPECT_EQ(list.Selected(), 1);
            EXPECT_EQ(list.List().GetItemText(1, 3), "Roamer");
            ClickChild(d, ServerListDialog::kIdConnect);
        });
        // Add: a port out of range is refused and nothing is stored; then put right.
        script.ThenWhileShown([&](wxDialog& add) {
            EXPECT_EQ(add.GetTitle(), "Add a Zone");
            TextChild(add, ZoneDialog::kIdServerName).SetValue("Beta");
            TextChild(add, ZoneDialog::kIdServerPort).SetValue("65536");
            TextChild(add, ZoneDialog::kIdUsername).SetValue("Roamer");
            ClickChild(add, wxID_OK);
            EXPECT_TRUE(PumpUntil([&] { return script.opened == 3; }));
            EXPECT_TRUE(add.IsModal());
            EXPECT_EQ(ZoneList::Count(SettingsStore()), 1);
            TextChild(add, ZoneDialog::kIdServerPort).SetValue(std::to_string(sims_[1]->Port()));
            ClickChild(add, wxID_OK);
        });
        script.Then(warning);
        Command(kIdServerList);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.unexpected, 0);
        EXPECT_EQ(warnings, std::vector<std::string>{"The port must be a whole number from 1 to 65535."});
    }
    // Connect: Beta's tab in front, logged in with Beta's player name.
    ASSERT_EQ(frame_->TabCount(), 2);
    EXPECT_EQ(Active(), 1);
    ASSERT_TRUE(PumpUntil([&] { return InArena(1); }, 15000));
    EXPECT_EQ(Beta().Logins().at(0).name, "Roamer");
    EXPECT_TRUE(Alpha().Logins().empty());

    // Edit a field and a name clash; then Remove, which closes the open tab.
    ModalScript again;
    again.ThenWhileShown([&](wxDialog& d) {
        auto& list = dynamic_cast<ServerListDialog&>(d);
        list.Select(1);
        ClickChild(d, ServerListDialog::kIdEdit);
        EXPECT_TRUE(PumpUntil([&] { return list.List().GetItemText(1, 3) == "Wanderer"; }));
        ClickChild(d, ServerListDialog::kIdRemove);
        EXPECT_TRUE(PumpUntil([&] { return list.List().GetItemCount() == 1; }));
        ClickChild(d, wxID_CANCEL);
    });
    again.ThenWhileShown([&](wxDialog& edit) {
        EXPECT_EQ(TextChild(edit, ZoneDialog::kIdUsername).GetValue(), "Roamer");
        TextChild(edit, ZoneDialog::kIdServerName).SetValue("alpha");
        ClickChild(edit, wxID_OK);
        EXPECT_TRUE(PumpUntil([&] { return again.opened == 3; }));
        TextChild(edit, ZoneDialog::kIdServerName).SetValue("Beta");
        TextChild(edit, ZoneDialog::kIdUsername).SetValue("Wanderer");
        // Enter is OK.
        TextChild(edit, ZoneDialog::kIdUsername).SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == &TextChild(edit, ZoneDialog::kIdUsername); }));
        wxUIActionSimulator().Char(WXK_RETURN);
    });
    again.Then(warning);
    again.Then([](wxDialog& ask) {
        EXPECT_EQ(dynamic_cast<wxMessageDialog&>(ask).GetMessage(),
                  "Remove the zone \"Beta\" from the list? Its tab closes if it is open.");
        return int(wxID_YES);
    });
    FocusInput();
    wxUIActionSimulator().Char('k', wxMOD_CONTROL);
    EXPECT_TRUE(PumpUntil([&] { return again.Done() && !frame_->ServerListSlot().Get(); }, 15000));
    EXPECT_EQ(again.unexpected, 0);
    EXPECT_EQ(warnings.back(), "Another zone in the list is already called \"alpha\".");
    EXPECT_EQ(frame_->TabCount(), 1);
    EXPECT_EQ(ZoneList::Count(SettingsStore()), 1);
    EXPECT_TRUE(PumpUntil([&] { return sims_[1]->Peer()->Tally().clientDisconnects > 0; })) << "no goodbye";
}

// The settings dialog's button opens the same list; a change made there to the
// first zone shows in the settings dialog's fields.
TEST_F(ZonesTest, TheSettingsDialogsServerListButtonOpensTheList)
{
    OpenFrame();
    ModalScript script;
    script.ThenWhileShown([&](wxDialog& settings) {
        ClickChild(settings, CFGDialog::kIdServerList);
        EXPECT_TRUE(PumpUntil([&] { return TextChild(settings, CFGDialog::kIdUsername).GetValue() == "Changed"; }));
        ClickChild(settings, CFGDialog::kIdCancel);
    });
    script.ThenWhileShown([&](wxDialog& list) {
        EXPECT_EQ(list.GetTitle(), "Server List");
        ClickChild(list, ServerListDialog::kIdEdit);
        EXPECT_TRUE(PumpUntil([&] { return script.opened == 3; }));
        ClickChild(list, wxID_CANCEL);
    });
    script.Then([](wxDialog& edit) {
        TextChild(edit, ZoneDialog::kIdUsername).SetValue("Changed");
        return int(wxID_OK);
    });
    Command(kIdSettings);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.unexpected, 0);
}

// Two zones whose names come out as the same folder never run side by side: the
// second is refused with a message, whether it comes by AutoConnect or by hand.
TEST_F(ZonesTest, TwoZonesThatWouldShareAFolderAreNeverOpenAtOnce)
{
    SettingsStore settings;
    ZoneList::Add(settings, ZoneAt(sims_[1]->Port(), "a/b", "One", true));
    ZoneList::Add(settings, ZoneAt(9, "a:b", "Two", true));
    ModalScript script;
    std::string message;
    script.Then([&](wxDialog& box) {
        message = dynamic_cast<wxMessageDialog&>(box).GetMessage().ToStdString();
        return int(wxID_OK);
    });
    OpenFrame();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(message, "The zone \"a:b\" would keep its files where the open tab \"a/b\" keeps them. Give it "
                       "another name in the Server List.");
    ASSERT_EQ(frame_->TabCount(), 2);
    EXPECT_EQ(Tab(1).ZoneName(), "a/b");
}

// The zone of the only tab leaves the list: the first zone's tab takes its place.
TEST_F(ZonesTest, RemovingTheZoneOfTheOnlyTabLeavesTheFirstZonesTab)
{
    AddBeta(false);
    OpenFrame();
    frame_->ConnectZone(1);
    ASSERT_EQ(frame_->TabCount(), 2);
    Key('1', wxMOD_ALT);
    Key('w', wxMOD_CONTROL);
    ASSERT_EQ(frame_->TabCount(), 1);
    ASSERT_EQ(Tab(0).ZoneIndex(), 1);
    SettingsStore settings;
    ZoneList::Remove(settings, 1);
    frame_->ZoneRemoved(1);
    ASSERT_EQ(frame_->TabCount(), 1);
    EXPECT_EQ(Tab(0).ZoneIndex(), 0);
    EXPECT_EQ(Tab(0).ZoneName(), "Alpha");
    EXPECT_EQ(&frame_->Client(), &Tab(0).Client());
}

} // namespace
