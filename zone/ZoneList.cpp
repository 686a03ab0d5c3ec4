#include "zone/ZoneList.h"

#include "zone/MapFile.h"
#include "zone/TextFile.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kListGroup = "Zones";
constexpr const char* kCountKey = "Count";

std::string GroupOf(int index) { return "Zone" + std::to_string(index); }

// Where the first zone's settings live, and the key that holds each in a "ZoneN" group.
struct KeyPlace {
    const char* group;
    const char* key;
    const char* zoneKey;
};
constexpr KeyPlace kZoneKeys[] = {
    {"User", "Name", "UserName"},   {"User", "Password", "Password"}, {"User", "Chats", "Chats"},
    {"User", "Auto", "Auto"},       {"Server", "Name", "Name"},       {"Server", "IP", "IP"},
    {"Server", "Port", "Port"},     {"Server", "AutoConnect", "AutoConnect"}, {"Arena", "Name", "Arena"},
};

bool IsZoneGroup(const std::string& group) { return group == "User" || group == "Server" || group == "Arena"; }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

bool ZoneEntry::operator==(const ZoneEntry& other) const
{
    return name == other.name && userName == other.userName && password == other.password && ip == other.ip &&
           port == other.port && arena == other.arena && chats == other.chats &&
           autoCommands == other.autoCommands && autoConnect == other.autoConnect;
}

std::pair<std::string, std::string> ZoneSettings::Place(const std::string& group, const std::string& key) const
{
    if (index_ == 0 || !IsZoneGroup(group))
        return {group, key};
    for (const KeyPlace& place : kZoneKeys) {
        if (group == place.group && key == place.key)
            return {GroupOf(index_), place.zoneKey};
    }
    // A key of these groups that has no name of its own in a zone's group.
    return {GroupOf(index_), group + key};
}

std::string ZoneSettings::ReadString(const std::string& group, const std::string& key, const std::string& def) const
{
    const auto [g, k] = Place(group, key);
    return all_.ReadString(g, k, def);
}

int32_t ZoneSettings::ReadInteger(const std::string& group, const std::string& key, int32_t def) const
{
    const auto [g, k] = Place(group, key);
    return all_.ReadInteger(g, k, def);
}

bool ZoneSettings::ReadBool(const std::string& group, const std::string& key, bool def) const
{
    const auto [g, k] = Place(group, key);
    return all_.ReadBool(g, k, def);
}

bool ZoneSettings::WriteString(const std::string& group, const std::string& key, const std::string& value)
{
    const auto [g, k] = Place(group, key);
    return all_.WriteString(g, k, value);
}

bool ZoneSettings::WriteInteger(const std::string& group, const std::string& key, int32_t value)
{
    const auto [g, k] = Place(group, key);
    return all_.WriteInteger(g, k, value);
}

bool ZoneSettings::WriteBool(const std::string& group, const std::string& key, bool value)
{
    const auto [g, k] = Place(group, key);
    return all_.WriteBool(g, k, value);
}

// A zone's own groups are not deleted through its view; the list does that.
bool ZoneSettings::DeleteGroup(const std::string& group)
{
    return IsZoneGroup(group) ? false : all_.DeleteGroup(group);
}

namespace ZoneList {

int Count(const SettingsSource& settings)
{
    const int32_t others = settings.ReadInteger(kListGroup, kCountKey, 0);
    return 1 + std::clamp(others, 0, kMaxZones - 1);
}

ZoneEntry Read(const SettingsSource& settings, int index)
{
    // Read through the zone's own view, so the first zone and the others share one path.
    ZoneSettings zone(const_cast<SettingsSource&>(settings), index);
    ZoneEntry entry;
    entry.name = Settings::Read(zone, Settings::ServerName);
    entry.userName = Settings::Read(zone, Settings::UserName);
    entry.password = Settings::Read(zone, Settings::UserPassword);
    entry.ip = Settings::Read(zone, Settings::ServerIP);
    entry.port = Settings::Read(zone, Settings::ServerPort);
    entry.arena = Settings::Read(zone, Settings::ArenaName);
    entry.chats = Settings::Read(zone, Settings::UserChats);
    entry.autoCommands = Settings::Read(zone, Settings::UserAuto);
    entry.autoConnect = Settings::Read(zone, Settings::ServerAutoConnect);
    return entry;
}

void Write(SettingsSource& settings, int index, const ZoneEntry& entry)
{
    ZoneSettings zone(settings, index);
    Settings::Write(zone, Settings::ServerName, entry.name);
    Settings::Write(zone, Settings::UserName, entry.userName);
    Settings::Write(zone, Settings::UserPassword, entry.password);
    Settings::Write(zone, Settings::ServerIP, entry.ip);
    Settings::Write(zone, Settings::ServerPort, entry.port);
    Settings::Write(zone, Settings::ArenaName, entry.arena);
    Settings::Write(zone, Settings::UserChats, entry.chats);
    Settings::Write(zone, Settings::UserAuto, entry.autoCommands);
    Settings::Write(zone, Settings::ServerAutoConnect, entry.autoConnect);
}

int Add(SettingsSource& settings, const ZoneEntry& entry)
{
    const int index = Count(settings);
    // A group left behind by a hand edit beyond the count is not mixed into the new one.
    settings.DeleteGroup(GroupOf(index));
    Write(settings, index, entry);
    settings.WriteInteger(kListGroup, kCountKey, index);
    return index;
}

void Remove(SettingsSource& settings, int index)
{
    const int count = Count(settings);
    if (index < 1 || index >= count)
        return;
    for (int next = index + 1; next < count; ++next)
        Write(settings, next - 1, Read(settings, next));
    settings.DeleteGroup(GroupOf(count - 1));
    settings.WriteInteger(kListGroup, kCountKey, count - 2);
}

std::string Check(const SettingsSource& settings, int index, const ZoneEntry& entry)
{
    if (entry.name.find_first_not_of(" \t") == std::string::npos)
        return "A zone needs a name.";
    const std::string port = entry.port;
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(port) < 1 || std::stoul(port) > 65535)
        return "The port must be a whole number from 1 to 65535.";
    const int count = Count(settings);
    for (int other = 0; other < count; ++other) {
        if (other != index && Lower(Read(settings, other).name) == Lower(entry.name))
            return "Another zone in the list is already called \"" + entry.name + "\".";
    }
    return "";
}

std::string FolderOf(const std::string& zoneName)
{
    std::string name;
    for (const unsigned char c : zoneName) {
        const bool plain = std::isalnum(c) || c == ' ' || c == '-' || c == '_' || c == '.' || c == '(' || c == ')';
        name.push_back(plain ? char(c) : '_');
    }
    name.resize(std::min<size_t>(name.size(), 64));
    // Windows drops a trailing dot or space from a file name; a leading one hides it elsewhere.
    const size_t first = name.find_first_not_of(". ");
    const size_t last = name.find_last_not_of(". ");
    name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
    if (name.empty())
        name = "zone";
    if (!IsSafeServerFileName(name))
        name = "_" + name;
    return std::string("Zones") + kPathSeparator + name + kPathSeparator;
}

} // namespace ZoneList
