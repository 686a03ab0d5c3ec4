#pragma once

#include <array>
#include <string>

// What the user has chosen to see. Read by the chat and roster handlers on every
// packet; only the local commands change it. It lives as long as the program's
// connection object, so disconnects and arena changes keep the user's choices.
struct ReceptionFilters {
    static constexpr int kChannels = 10;

    bool publicChat = true;    // chat kinds 1 and 2
    bool teamChat = true;      // chat kind 3
    bool arenaChat = true;     // chat kind 0
    bool sysopWarnings = true; // chat kind 8
    // Chat kind 9 by channel; no command reaches channel 0, so it stays shown.
    std::array<bool, kChannels> channels{true, true, true, true, true, true, true, true, true, true};
    bool enterNotices = false;
    bool leaveNotices = false;
    bool deathNotices = false;

    bool ChannelShown(int channel) const
    {
        // A number no switch covers is shown.
        return channel < 0 || channel >= kChannels || channels[size_t(channel)];
    }
};
