#pragma once

#include <cstdint>
#include <string>

// A handle on the per-user settings store (application "Quillon"). Nothing is
// cached: every call opens the store afresh, so a write through one handle, by
// another running copy or by hand is seen by the next read through any other.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    std::string ReadString(const std::string& group, const std::string& key, const std::string& def) const;
    int32_t ReadInteger(const std::string& group, const std::string& key, int32_t def) const;
    bool ReadBool(const std::string& group, const std::string& key, bool def) const;

    bool WriteString(const std::string& group, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& group, const std::string& key, int32_t value);
    bool WriteBool(const std::string& group, const std::string& key, bool value);
};

// Every key the program stores, with its default, named once.
namespace Settings {
struct TextKey {
    const char* group;
    const char* key;
    const char* def;
};
struct IntKey {
    const char* group;
    const char* key;
    int32_t def;
};
struct BoolKey {
    const char* group;
    const char* key;
    bool def;
};

inline constexpr TextKey UserName{"User", "Name", ""};
inline constexpr TextKey UserPassword{"User", "Password", ""};
inline constexpr TextKey UserChats{"User", "Chats", ""};
inline constexpr TextKey UserAuto{"User", "Auto", ""};
inline constexpr TextKey ServerName{"Server", "Name", ""};
inline constexpr TextKey ServerIP{"Server", "IP", "0.0.0.0"};
inline constexpr TextKey ServerPort{"Server", "Port", "0"};
inline constexpr BoolKey ServerAutoConnect{"Server", "AutoConnect", false};
inline constexpr TextKey ArenaName{"Arena", "Name", ""};
inline constexpr TextKey FontName{"Font", "FontName", "Arial"};
inline constexpr IntKey FontSize{"Font", "FontSize", 8};
inline constexpr IntKey FontStyle{"Font", "FontStyle", 90};   // wxNORMAL
inline constexpr IntKey FontWeight{"Font", "FontWeight", 92}; // wxBOLD

inline std::string Read(const SettingsStore& s, const TextKey& k) { return s.ReadString(k.group, k.key, k.def); }
inline int32_t Read(const SettingsStore& s, const IntKey& k) { return s.ReadInteger(k.group, k.key, k.def); }
inline bool Read(const SettingsStore& s, const BoolKey& k) { return s.ReadBool(k.group, k.key, k.def); }
} // namespace Settings
