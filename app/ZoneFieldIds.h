#pragma once

// The ids of a zone's fields, the same in the settings dialog and in the Server
// List's zone editor, so a field is found by one id in both.
struct ZoneFieldIds {
    enum : int {
        kIdUsername = 200,
        kIdPassword = 205,
        kIdServerName = 210,
        kIdServerIP = 215,
        kIdServerPort = 220,
        kIdArena = 225,
        kIdChats = 230,
        kIdAuto = 235,
        kIdAutoConnect = 500,
    };
};
