#pragma once

#include "zone/Settings.h"

#include <string>

// The zones the user knows. The first is the one in the settings dialog, kept in
// the groups "User", "Server" and "Arena" as it always was; the others are
// "Zone1" ... "ZoneN", their number in "Zones/Count".
struct ZoneEntry {
    std::string name;
    std::string userName;
    std::string password;
    std::string ip;
    std::string port;
    std::string arena;
    std::string chats;
    std::string autoCommands;
    bool autoConnect = false;

    bool operator==(const ZoneEntry& other) const;
};

namespace ZoneList {
// More than this many saved zones is taken for a damaged count.
inline constexpr int kMaxZones = 100;

// The number of zones, the first one included (so at least 1).
int Count(const SettingsSource& settings);
ZoneEntry Read(const SettingsSource& settings, int index);
void Write(SettingsSource& settings, int index, const ZoneEntry& entry);
// Adds a zone at the end of the list and gives its index.
int Add(SettingsSource& settings, const ZoneEntry& entry);
// Removes a zone after the first; those after it move up one place.
void Remove(SettingsSource& settings, int index);

// What is wrong with a zone as the user typed it ("" when nothing is): the name
// must not be empty, nor the same (in any case) as another zone's, and the port
// is a whole number from 1 to 65535. `index` is the zone's place, -1 for a new one.
std::string Check(const SettingsSource& settings, int index, const ZoneEntry& entry);

// The folder, inside the program folder, where a zone after the first keeps its
// files: "Zones/" and its name as a file name that every platform can hold
// (characters it cannot hold become "_"), ending in the path separator.
std::string FolderOf(const std::string& zoneName);
} // namespace ZoneList

// One zone's view of the settings: the login, server and arena keys are read
// and written in that zone's group; everything else (fonts, the window) is
// shared by all zones and passes through.
class ZoneSettings final : public SettingsSource {
public:
    ZoneSettings(SettingsSource& all, int index) : all_(all), index_(index) {}
    int Index() const { return index_; }
    // The zone moved up the list when one before it was removed.
    void SetIndex(int index) { index_ = index; }

    std::string ReadString(const std::string& group, const std::string& key, const std::string& def) const override;
    int32_t ReadInteger(const std::string& group, const std::string& key, int32_t def) const override;
    bool ReadBool(const std::string& group, const std::string& key, bool def) const override;
    bool WriteString(const std::string& group, const std::string& key, const std::string& value) override;
    bool WriteInteger(const std::string& group, const std::string& key, int32_t value) override;
    bool WriteBool(const std::string& group, const std::string& key, bool value) override;
    bool DeleteGroup(const std::string& group) override;

private:
    // The group and key where this zone keeps a setting.
    std::pair<std::string, std::string> Place(const std::string& group, const std::string& key) const;

    SettingsSource& all_;
    int index_;
};
