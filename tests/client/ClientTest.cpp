// Connecting as the user does: the settings read, the server looked up off the
// GUI thread, and what the menu is told about the state of the connection.
#include "support/ClientHarness.h"
#include "support/ZonePackets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using ::testing::ElementsAre;

class ClientTest : public ::testing::Test {
protected:
    void Write(const Settings::TextKey& key, const std::string& value) { Settings::Write(h.settings, key, value); }
    // Steps until the look-up has answered: it runs on a thread of its own, so
    // this waits on the real clock, at most a few seconds.
    void AwaitLookup()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (h->Connected() && !h->Link().Connected() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
            h.Ticks(1);
        }
    }

    ClientHarness h;
};

TEST_F(ClientTest, APortThatIsNotANumberFrom1To65535IsReportedAndNothingIsOpened)
{
    for (const char* port : {"abc", "0", "65536", "116561", "", "5000x", "-5", " 80"}) {
        Write(Settings::ServerPort, port);
        h->Connect();
        EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock...",
                                           "ERROR: The Port setting \"" + std::string(port) +
                                               "\" is not a number from 1 to 65535. Check your settings.",
                                           "Type ?cmdhelp for a list of Chat Client Commands."));
        EXPECT_EQ(h.socket->opens, 0);
        EXPECT_FALSE(h->Connected());
    }
    Write(Settings::ServerPort, "65535");
    h->Connect();
    EXPECT_EQ(h.socket->openedPort, 65535);
    EXPECT_TRUE(h->Connected());
}

// A slow resolver must not hold the window: Connect and every Step return at once.
TEST_F(ClientTest, AHostNameIsLookedUpOffTheGuiThreadAndOneThatDoesNotResolveIsReported)
{
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    h.resolver = [answered](const std::string& host) -> std::optional<std::string> {
        answered.wait();
        return host == "zone.example" ? std::optional<std::string>("10.1.2.3") : std::nullopt;
    };
    h.Make();
    Write(Settings::ServerIP, "zone.example");
    Write(Settings::ServerPort, "5000");
    h->Connect();
    h.Ticks(50);
    EXPECT_TRUE(h->Connected()); // the menu shows it under way
    EXPECT_EQ(h.socket->opens, 0);
    EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock..."));
    answer.set_value();
    AwaitLookup();
    EXPECT_EQ(h.socket->openedHost, "10.1.2.3");
    EXPECT_THAT(h.Lines(), ElementsAre("Successfully Initilized!", "Connecting to, IP: zone.example, Port: 5000",
                                       "Type ?cmdhelp for a list of Chat Client Commands."));

    // A Disconnect while the name is being looked up: the answer that comes afterwards opens nothing.
    h->Disconnect();
    h.Lines();
    std::promise<void> late;
    std::shared_future<void> lateAnswer = late.get_future().share();
    h.resolver = [lateAnswer](const std::string&) -> std::optional<std::string> {
        lateAnswer.wait();
        return std::optional<std::string>("10.1.2.4");
    };
    h.Make();
    h->Connect();
    h.Ticks(5);
    h->Disconnect();
    EXPECT_FALSE(h->Connected());
    late.set_value();
    for (int i = 0; i < 200; ++i) { // the look-up's thread ends in its own time
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        h.Ticks(1);
    }
    EXPECT_EQ(h.socket->opens, 0);
    EXPECT_FALSE(h->Connected());
    EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock...", "Disconnecting..."));

    h.resolver = [answered](const std::string& host) -> std::optional<std::string> {
        answered.wait();
        return host == "zone.example" ? std::optional<std::string>("10.1.2.3") : std::nullopt;
    };
    h.Make();
    Write(Settings::ServerIP, "nowhere.example");
    h->Connect();
    AwaitLookup();
    EXPECT_FALSE(h->Connected());
    EXPECT_EQ(h.socket->opens, 0);
    EXPECT_THAT(h.Lines(), ElementsAre("Initilizing Winsock...",
                                       "ERROR: The Server \"nowhere.example\" could not be found. Check your settings.",
                                       "Type ?cmdhelp for a list of Chat Client Commands."));
}

// The menu offers Connect again once nothing will come back by itself.
TEST_F(ClientTest, TheClientCountsAsConnectedWhileAReconnectIsPendingAndNotAfterASessionEndedForGood)
{
    h.EnterArena();
    h.ServerSends(HexPacket("0007")); // the server drops us: a reconnect is pending
    EXPECT_TRUE(h->Connected());
    h->Disconnect(); // and the user's Disconnect cancels it
    EXPECT_FALSE(h->Connected());
    h.Ticks(4000);
    EXPECT_EQ(h.socket->opens, 1);

    h.server.cipher.Stop();
    h.Handshake();
    h.ServerSends(HexPacket("0A 02")); // the password is refused
    EXPECT_FALSE(h->Connected());
}

// The player list shows "Bo\x01b" as "Bo\xA4b"; a command from the list names the
// player as the server spelled it, so ignoring from there silences that player.
TEST_F(ClientTest, APlayerCommandFromTheListNamesThePlayerAsTheServerSpelledIt)
{
    h.EnterArena();
    h.ServerSends(EnteringPacket({{7, std::string("Bo\x01"
                                                  "b")}}));
    const std::string shown = "Bo\xA4"
                              "b";
    EXPECT_EQ(h->ServerSpelling(shown), std::string("Bo\x01"
                                                    "b"));
    EXPECT_EQ(h->ServerSpelling("Nobody"), "Nobody");
    h->Ignores().ToggleIgnore(h->ServerSpelling(shown));
    h.Ticks(5);
    h.Lines();
    h.ServerSends(ChatPacket(2, 7, "still here"));
    h.Ticks(5);
    EXPECT_TRUE(h.Lines().empty());
}

} // namespace
