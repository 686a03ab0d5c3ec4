// The whole receive path: datagrams from a hostile server reach a started zone
// client through its socket and are decrypted, dispatched and handled by every
// handler, while the frame timer's ticks run the periodic jobs in between.
//
// QUILLON_FUZZ_SHOW=1 prints what each input made the client show.
//
// Input: one byte sets the scene. Its low two bits say how far the session has
// got before the datagrams come (0: key request sent; 1: cipher running, with
// the key in the next four bytes; 2 and 3: in an arena with players, likewise);
// bit 2 switches the enter, leave and death notices on, bit 3 mutes public chat
// and channel 1, bit 4 sets an away message. Then records, each:
//   control byte: bit 0 set sends the datagram as it stands (otherwise it is
//     encrypted as the server would, once the client's cipher runs);
//     bits 1-7 say how many ticks of the frame timer follow it (t below 120:
//     t ticks; above: (t - 119) x 800)
//   u16 length (low 10 bits; above 520 the socket refuses it, as UDP does)
//   the datagram

#include "FuzzSupport.h"

#include "ZoneServer.h"
#include "app/SettingsStore.h"
#include "console/ChatOutput.h"
#include "transport/Cipher.h"
#include "transport/Clock.h"
#include "transport/Connection.h"
#include "zone/ZoneSession.h"
#include "zone/ZoneStartup.h"

#include "support/FakeViews.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>

namespace {

// Hands out the datagrams of the input; what the client sends is only counted.
class FuzzSocket final : public DatagramSocket {
public:
    bool Open(const std::string&, uint16_t) override { return true; }
    void Send(const Packet&) override { ++sent; }
    uint32_t Receive(Packet& packet) override
    {
        if (inbox.empty())
            return 0;
        const Packet datagram = std::move(inbox.front());
        inbox.pop_front();
        if (datagram.Empty() || datagram.Size() > kMaxDatagram)
            return 0;
        packet = datagram;
        return packet.Size();
    }
    bool Readable() override { return !inbox.empty(); }

    std::deque<Packet> inbox;
    uint64_t sent = 0;
};

// Enough for the watchdog (31 statistics periods) and a reconnect, not so many
// that one input takes long.
constexpr uint32_t kTickBudget = 10000;
constexpr uint32_t kLengthMask = 0x3FF;

// Mostly a few ticks; the top values jump ahead by seconds.
uint32_t TicksFor(uint8_t control)
{
    const uint32_t t = control >> 1;
    return t < 120 ? t : (t - 119) * 800;
}

void SetUpSettingsOnce()
{
    static const bool done = [] {
        SettingsStore settings;
        settings.WriteString("User", "Name", "Fuzz Pilot");
        settings.WriteString("User", "Password", "secret");
        settings.WriteString("User", "Chats", "one,two");
        // The entry automation: a command line and a chat line.
        settings.WriteString("User", "Auto", "?away fuzzing/hello arena");
        settings.WriteString("Server", "IP", "127.0.0.1");
        settings.WriteString("Server", "Port", "5000");
        return true;
    }();
    (void)done;
}

class Session {
public:
    Session()
        : socketOwned_(std::make_unique<FuzzSocket>()), socket_(*socketOwned_),
          connection_(output_, std::move(socketOwned_), clock_)
    {
        const FuzzScratch& scratch = FuzzScratch::Get();
        WriteWholeFile(scratch.ProgramFolder() + "Ignore.txt", "Muted Mike\r\nquiet quinn\r\n");
        StartZone(connection_, scratch.ProgramFolder());
        connection_.OpenSocket();
        connection_.BeginConnection();
    }

    Connection& Link() { return connection_; }

    // The server's side of the cipher follows whatever key the client took.
    void Deliver(Packet datagram, bool raw)
    {
        const Cipher& client = connection_.CipherState();
        if (!raw && client.Active()) {
            if (!server_.Active() || server_.Key() != client.Key())
                server_.Start(client.Key());
            server_.Encrypt(datagram);
        }
        socket_.inbox.push_back(std::move(datagram));
    }

    // What the frame timer does; with no ticks the datagram is still taken.
    void Ticks(uint32_t n)
    {
        if (n == 0) {
            if (connection_.PollReadable())
                connection_.ReceiveOne();
            return;
        }
        for (uint32_t i = 0; i < n; ++i) {
            clock_.Advance(1);
            if (connection_.PollReadable())
                connection_.ReceiveOne();
            connection_.Tick();
            output_.FlushOneLine();
        }
    }

    // A session in an arena: login accepted, own id, settings, players, entered.
    void EnterArena()
    {
        const std::vector<Packet> packets = {
            ZonePackets::LoginResponse(0),
            ZonePackets::OwnId(7),
            ZonePackets::ArenaSettings(25, 1),
            ZonePackets::PlayersEntering({{7, "Fuzz Pilot", "", 8, 0, 0, 0, 0, 0},
                                          {3, "Muted Mike", "Squad", 1, 0, 10, 20, 1, 2},
                                          {300, "Talker", "", 8, 1, 0, 0, 0, 0},
                                          {511, "Edge Case", "E", 2, 9999, 5, 5, 5, 5}}),
            ZonePackets::ArenaEntered(),
        };
        // Straight to the dispatcher: the reliable numbering is left for the input.
        for (const Packet& packet : packets)
            connection_.Dispatch(packet);
    }

    // The user's choices, as the local commands would have made them.
    void SetFilters(bool notices, bool mute, bool away)
    {
        ZoneSession& session = *SessionOf(connection_);
        session.filters.enterNotices = session.filters.leaveNotices = session.filters.deathNotices = notices;
        if (mute) {
            session.filters.publicChat = false;
            session.filters.channels[1] = false;
        }
        if (away)
            session.away.Set(" back soon");
    }

    // Whatever is still queued goes to the view, as later ticks would take it.
    void FlushOutput()
    {
        while (output_.QueuedPieces() > 0)
            output_.FlushOneLine();
    }

    // For whoever writes corpus files: what the input made the client show and send.
    void Show() const
    {
        std::fprintf(stderr, "%s\n-- %llu datagrams sent, in arena: %d\n", view_.ShownText().c_str(),
                     static_cast<unsigned long long>(socket_.sent), int(connection_.InArena()));
    }

    // What must hold however hostile the input was.
    void CheckBounds() const
    {
        FUZZ_CHECK(connection_.Reliable().HeldCount() <= ReliableState::kMaxAhead);
        FUZZ_CHECK(Connection::SmallChunkBuffer().Size() <= Connection::kMaxTransferSize);
        FUZZ_CHECK(Connection::BigChunkBuffer().Size() <= Connection::kMaxTransferSize);
        FUZZ_CHECK(FuzzScratch::Get().SandboxHoldsOnlyProgramFolder());
    }

private:
    FakeOutputView view_;
    FakeUserListView users_;
    ChatOutput output_{view_, users_, FuzzScratch::Get().ProgramFolder()};
    ManualClock clock_;
    Cipher server_;
    std::unique_ptr<FuzzSocket> socketOwned_;
    FuzzSocket& socket_;
    Connection connection_;
};

Packet KeyResponse(uint32_t key)
{
    Packet packet(6);
    packet.WriteU8(0x02, 1);
    packet.WriteU32(key, 2);
    return packet;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzScratch& scratch = FuzzScratch::Get();
    SetUpSettingsOnce();
    scratch.EmptyProgramFolder();
    // The flood stop and the chunk buffers are process-wide; every input starts afresh.
    Connection::ResetProcessStateForTests();

    FuzzInput in(data, size);
    {
        Session session;
        const uint8_t scene = in.Byte();
        const int stage = std::min(scene & 3, 2);
        if (stage >= 1) {
            session.Deliver(KeyResponse(in.U32()), true);
            session.Ticks(0);
        }
        if (stage == 2)
            session.EnterArena();
        session.SetFilters((scene & 4) != 0, (scene & 8) != 0, (scene & 16) != 0);

        uint32_t ticksLeft = kTickBudget;
        while (!in.Empty()) {
            const uint8_t control = in.Byte();
            const uint32_t length = in.U16() & kLengthMask;
            const std::string bytes = in.Bytes(length);
            session.Deliver(Packet::FromString(bytes), (control & 1) != 0);
            const uint32_t ticks = std::min(TicksFor(control), ticksLeft);
            ticksLeft -= ticks;
            session.Ticks(ticks);
        }
        session.FlushOutput();
        session.CheckBounds();
        if (std::getenv("QUILLON_FUZZ_SHOW") != nullptr)
            session.Show();
    }
    Connection::ResetProcessStateForTests();
    return 0;
}
