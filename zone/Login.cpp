#include "zone/Login.h"

#include "zone/Automation.h"
#include "zone/Settings.h"
#include "zone/Zone.h"
#include "zone/ZoneConsole.h"

namespace {

namespace LoginPacket {
constexpr uint32_t kSize = 101;
constexpr uint8_t kType = 0x09;
constexpr uint32_t kName = 2;
constexpr uint32_t kPassword = 34;
constexpr uint32_t kTextWidth = 32;
constexpr uint32_t kMagicA = 66;
constexpr uint32_t kValue240 = 71;
constexpr uint32_t kValue134 = 75;
constexpr uint32_t kValue444 = 77;
constexpr uint32_t kValue555 = 81;
constexpr uint32_t kMagicB = 85;
constexpr uint32_t kMagic = 0x12345678;
} // namespace LoginPacket

namespace ArenaEntryPacket {
// Always the long form: servers that read the short one read its first ten bytes alike.
constexpr uint32_t kSize = 26;
constexpr uint8_t kType = 0x01;
constexpr uint32_t kShip = 1;
constexpr uint32_t kOne = 2;
constexpr uint32_t kWidth = 4;
constexpr uint32_t kHeight = 6;
constexpr uint32_t kSelector = 8;
constexpr uint32_t kName = 10;
constexpr uint32_t kNameWidth = 16;
constexpr uint8_t kSpectator = 8;
constexpr uint16_t kAnyPublicArena = 0xFFFF;
constexpr uint16_t kNamedArena = 0xFFFD;
} // namespace ArenaEntryPacket

namespace PositionPacket {
constexpr uint32_t kSize = 22;
constexpr uint8_t kType = 0x03;
constexpr uint32_t kTime = 2;
constexpr uint32_t kY = 8;
constexpr uint32_t kCheck = 10;
constexpr uint32_t kX = 12;
} // namespace PositionPacket

constexpr uint32_t kResponseCode = 1;

struct LoginOutcome {
    const char* message;
    bool enter;
};

LoginOutcome OutcomeOf(uint8_t code)
{
    switch (code) {
    case 0:
        return {"Login Successfull.", true};
    case 1:
        return {"Unkown (Unregistered) Player, Please register this name first.", false};
    case 2:
        return {"Incorrect Password for specified player name.", false};
    case 3:
        return {"The Arena is full, please try again later.", false};
    case 4:
        return {"You are locked out of Driftwake.", false};
    case 5:
        return {"You do not have Permision to play in this Arena.", false};
    case 6:
        return {"You only have permision to spectate in this Arena.", true};
    case 7:
        return {"This name has too many points to play in this Arena.", false};
    case 8:
        return {"Your Connection is too slow to play in this Arena.", false};
    case 9:
        return {"You do not have Permision to play in this Arena.", false};
    case 10:
        return {"The server is no longer accepting new connections. Try again later.", false};
    case 11:
        return {"The name you are trying to use is Inavlid, please choose another.", false};
    case 12:
        return {"The name you are trying to use is on the Offensive Word list, please choose another.", false};
    case 13:
        return {"NOTICE: Scores are not being recorded in this zone. (Posible cause: No DW Biller Connection.)", true};
    case 14:
        return {"Server busy proccessing other login requests. Try again later.", false};
    case 15:
        return {"You do not have enough Usage. This zone is restricted to people with a certain number of hours "
                "logged on DW.",
                false};
    case 255:
        return {"Moderator Access is required to enter this zone.", false};
    default:
        return {"Unkown Login response, attempting to continue normaly...", true};
    }
}

bool AllDigits(const std::string& text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The decimal value kept to its low 16 bits, however long the text.
uint16_t ArenaNumber(const std::string& digits)
{
    uint32_t value = 0;
    for (const char c : digits)
        value = (value * 10 + uint32_t(c - '0')) & 0xFFFF;
    return uint16_t(value);
}

} // namespace

void SendLogin(Zone& zone)
{
    using namespace LoginPacket;
    Packet packet(kSize);
    packet.WriteU8(kType, 0);
    packet.WriteText(Settings::Read(zone.Settings(), Settings::UserName), kName, kTextWidth);
    packet.WriteText(Settings::Read(zone.Settings(), Settings::UserPassword), kPassword, kTextWidth);
    packet.WriteU32(kMagic, kMagicA);
    packet.WriteU16(240, kValue240);
    packet.WriteU16(134, kValue134);
    packet.WriteU32(444, kValue444);
    packet.WriteU32(555, kValue555);
    packet.WriteU32(kMagic, kMagicB);
    zone.awaitingLoginAnswer = true;
    zone.answeredUploads.clear(); // the new session numbers its packets afresh
    zone.Link().SendReliable(std::move(packet));
}

void HandleLoginResponse(Zone& zone, const Packet& packet)
{
    if (!zone.awaitingLoginAnswer)
        return;
    zone.awaitingLoginAnswer = false;
    zone.Link().LoginAnswered();
    const LoginOutcome outcome = OutcomeOf(packet.ReadU8(kResponseCode));
    zone.Console().Print(outcome.message, kSlotWhite, true);
    if (outcome.enter)
        SendArenaEntry(zone);
    else
        zone.Link().Disconnect(false, false);
}

void SendArenaEntry(Zone& zone) { SendArenaEntry(zone, Settings::Read(zone.Settings(), Settings::ArenaName)); }

void SendArenaEntry(Zone& zone, const std::string& arena)
{
    using namespace ArenaEntryPacket;
    Packet packet(kSize);
    packet.WriteU8(kType, 0);
    packet.WriteU8(kSpectator, kShip);
    packet.WriteU16(1, kOne);
    packet.WriteU16(640, kWidth);
    packet.WriteU16(480, kHeight);
    if (arena.empty()) {
        packet.WriteU16(kAnyPublicArena, kSelector);
    } else if (AllDigits(arena)) {
        packet.WriteU16(ArenaNumber(arena), kSelector);
    } else {
        packet.WriteU16(kNamedArena, kSelector);
        packet.WriteText(arena, kName, kNameWidth);
    }
    zone.awaitingArenaEntered = true;
    zone.mapAskedThisEntry = false;
    zone.Link().SendReliable(std::move(packet));
}

void HandleArenaSettings(Zone& zone, const Packet& packet) { zone.StoreArenaSettings(packet); }

void HandleArenaEntered(Zone& zone, const Packet&)
{
    if (!zone.awaitingArenaEntered)
        return;
    zone.awaitingArenaEntered = false;
    zone.Link().OnArenaEntered();
    RunZoneEntryAutomation(zone);
    // An automatic "?go" (or a disconnect) has already left this arena and
    // switched the periodic work off; the next arrival sets the flag.
    if (zone.Link().JobOn(Connection::kPositionJob))
        zone.SetInArena(true);
}

void SendPosition(Zone& zone)
{
    using namespace PositionPacket;
    Packet packet(kSize);
    packet.WriteU8(kType, 0);
    packet.WriteU32(zone.Now(), kTime);
    packet.WriteU16(zone.PositionY(), kY);
    packet.WriteU16(zone.PositionX(), kX);
    uint8_t check = 0;
    for (uint32_t i = 0; i < kSize; ++i)
        check ^= packet.ReadU8(i);
    packet.WriteU8(check, kCheck);
    zone.Link().Send(packet);
}
