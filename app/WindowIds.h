#pragma once

// Window, menu and timer ids of the main window.
enum FrameId : int {
    kIdExit = 1,
    kIdFont = 50,
    kIdSettings = 55,
    kIdDisplayIgnoreList = 57,
    kIdConnect = 60,
    kIdDisconnect = 65,
    kIdGenericBan = 70,
    kIdServerLog = 75,
    kIdServerLag = 80,
    kIdOutput = 100,
    kIdUserList = 200,
    kIdInputLine = 300,
    kIdFrameTimer = 800,
    kIdFind = 810,
    kIdServerList = 823,
    kIdTabs = 830,
    kIdAbout = 5013,
};
