#include "zone/ZoneStartup.h"

#include "console/LocalCommands.h"
#include "transport/Connection.h"
#include "zone/ArenaList.h"
#include "zone/Chat.h"
#include "zone/Login.h"
#include "zone/Roster.h"
#include "zone/Transfers.h"
#include "zone/ZoneSession.h"

#include <filesystem>
#include <system_error>

namespace {

enum ZonePacketType : uint8_t {
    kOwnId = 0x01,
    kArenaEntered = 0x02,
    kPlayerEntering = 0x03,
    kPlayerLeaving = 0x04,
    kDeath = 0x06,
    kChat = 0x07,
    kLoginResponse = 0x0A,
    kFrequencyChange = 0x0D,
    kArenaSettings = 0x0F,
    kIncomingFile = 0x10,
    kFileRequest = 0x19,
    kShipChange = 0x1D,
    kMapInformation = 0x29,
    kMapFile = 0x2A,
    kArenaList = 0x2F,
};

void CreateFolder(const std::string& path)
{
    // An existing folder is fine; a failure shows later, when a file in it cannot be opened.
    std::error_code ignored;
    std::filesystem::create_directory(path, ignored);
}

void RegisterHandlers(Connection& connection)
{
    connection.SetZoneHandler(kOwnId, HandleOwnId);
    connection.SetZoneHandler(kArenaEntered, HandleArenaEntered);
    connection.SetZoneHandler(kPlayerEntering, HandlePlayerEntering);
    connection.SetZoneHandler(kPlayerLeaving, HandlePlayerLeaving);
    connection.SetZoneHandler(kDeath, HandleDeath);
    connection.SetZoneHandler(kChat, HandleChat);
    connection.SetZoneHandler(kLoginResponse, HandleLoginResponse);
    connection.SetZoneHandler(kFrequencyChange, HandleFrequencyChange);
    connection.SetZoneHandler(kArenaSettings, HandleArenaSettings);
    connection.SetZoneHandler(kShipChange, HandleShipChange);
    connection.SetZoneHandler(kIncomingFile, HandleIncomingFile);
    connection.SetZoneHandler(kFileRequest, HandleFileRequest);
    connection.SetZoneHandler(kMapInformation, [](Connection& c, const Packet& p) {
        if (ZoneSession* session = SessionOf(c))
            HandleMapInformation(c, p, session->players.Tiles());
    });
    connection.SetZoneHandler(kArenaList, HandleArenaList);
    connection.SetZoneHandler(kMapFile, [](Connection& c, const Packet& p) {
        if (ZoneSession* session = SessionOf(c))
            HandleMapFile(c, p, session->players.Tiles());
    });

    connection.SetLoginSender(SendLogin);
    connection.SetPositionSender(SendPosition);
    connection.SetSessionClearer([](Connection& c) {
        if (ZoneSession* session = SessionOf(c))
            session->players.Clear(false);
    });
}

} // namespace

bool StartZone(Connection& connection, const std::string& programFolder)
{
    connection.CreateProgramFolder(programFolder);
    connection.SetZoneState(std::make_unique<ZoneSession>(connection.Output()));
    connection.LoadPermanentIgnoreList();
    CreateFolder(programFolder + "Maps");
    CreateFolder(programFolder + "Logs");
    RegisterHandlers(connection);
    // The entry automation runs "?" commands through the same parser as the input line.
    SessionOf(connection)->runLocalCommand = [&connection](const std::string& line) {
        return RunLocalCommand(connection, line);
    };
    return true;
}
