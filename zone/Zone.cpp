#include "zone/Zone.h"

#include "zone/ArenaList.h"
#include "zone/Chat.h"
#include "zone/Integrity.h"
#include "zone/Login.h"
#include "zone/ProgramFolder.h"
#include "zone/Roster.h"
#include "zone/Settings.h"
#include "zone/Transfers.h"
#include "zone/ZoneConsole.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace {

// In the arena settings: the position report's period, in hundredths.
constexpr uint32_t kPositionIntervalOffset = 1256;
constexpr uint8_t kClientCheckAnswer = 0x1E;

void AnswerClientCheck(Zone& zone, const Packet&)
{
    Packet answer(1);
    answer.WriteU8(kClientCheckAnswer, 0);
    zone.Link().SendReliable(std::move(answer));
}

using Handler = void (*)(Zone&, const Packet&);

// Zone packets by their first byte; those not named are dropped.
const std::array<Handler, 256>& Handlers()
{
    static const std::array<Handler, 256> table = [] {
        std::array<Handler, 256> t{};
        t[0x01] = HandleOwnId;
        t[0x02] = HandleArenaEntered;
        t[0x03] = HandlePlayerEntering;
        t[0x04] = HandlePlayerLeaving;
        t[0x06] = HandleDeath;
        t[0x07] = HandleChat;
        t[0x0A] = HandleLoginResponse;
        t[0x0D] = HandleFrequencyChange;
        t[0x0F] = HandleArenaSettings;
        t[0x10] = HandleIncomingFile;
        t[0x19] = HandleFileRequest;
        t[0x18] = HandleIntegrityRequest;
        t[0x1D] = HandleShipChange;
        t[0x29] = HandleMapInformation;
        t[0x2A] = HandleMapFile;
        t[0x2C] = AnswerClientCheck;
        t[0x2F] = HandleArenaList;
        return t;
    }();
    return table;
}

} // namespace

Zone::Zone(Connection& link, ZoneConsole& console, const SettingsSource& settings, const ProgramFolder& folder)
    : players(console), link_(link), console_(console), settings_(settings), folder_(folder),
      arenaSettings_(kArenaSettingsSize)
{
    // An existing folder is fine; a failure shows later, when a map cannot be written.
    std::error_code ignored;
    std::filesystem::create_directory(folder_.PathOf("Maps"), ignored);
    link_.SetListener(this);
}

Zone::~Zone() { link_.SetListener(nullptr); }

void Zone::White(const std::string& text) const { console_.Print(text, kSlotWhite, true); }
void Zone::Green(const std::string& text) const { console_.Print(text, kSlotGreen, true); }

void Zone::StoreArenaSettings(const Packet& packet)
{
    arenaSettings_ = packet.SubRange(0, kArenaSettingsSize);
    if (arenaSettings_.Size() < kArenaSettingsSize)
        arenaSettings_.Append(Packet(kArenaSettingsSize - arenaSettings_.Size()));
    link_.SetPositionPeriod(4 * int32_t(arenaSettings_.ReadU16(kPositionIntervalOffset)));
}

void Zone::LeaveArenaState()
{
    ForgetArenaMap();
    inArena_ = false;
    ownRecordSeen_ = false;
    ownPlayerId_ = PlayerTable::kNoPlayer;
}

// The next arena's map is loaded afresh, and a check kept for this one is forgotten.
void Zone::ForgetArenaMap()
{
    map.requested.clear();
    map.inMemory.clear();
    ++mapArena;
    map.loaded = {};
    checkGrid.Clear();
    waitingCheck = {};
}

void Zone::OnConnecting()
{
    White("Connecting to, IP: " + Settings::Read(settings_, Settings::ServerIP) +
          ", Port: " + Settings::Read(settings_, Settings::ServerPort));
}

void Zone::OnHandshakeDone() { SendLogin(*this); }

bool Zone::OnZonePacket(const Packet& packet)
{
    const Handler handler = Handlers()[packet.ReadU8(0)];
    if (handler)
        handler(*this, packet);
    return handler != nullptr;
}

void Zone::OnPositionDue() { SendPosition(*this); }

void Zone::OnSessionEnded()
{
    ForgetArenaMap();
    inArena_ = false;
    ownRecordSeen_ = false;
    players.Clear(false);
}

void Zone::OnTickHandled()
{
    // Once a tick however many moves the server reported: each judges all 512 entries.
    if (recolourDue_)
        players.RecolourAll(ownPlayerId_);
    recolourDue_ = false;
}

void Zone::OnNotice(const std::string& text) { White(text); }

void Zone::OnEvent(const std::string& text)
{
    // A file that cannot be written is said once, and not tried again this run.
    if (eventsLogged_ && !folder_.LogEvent(text)) {
        eventsLogged_ = false;
        White("Could not write the event file Event.txt; events are no longer written to it.");
    }
    White(text);
}
