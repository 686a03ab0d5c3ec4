#pragma once

#include <cstdint>
#include <string>

// The per-user settings as the core reads and writes them. The program keeps
// them in wxConfig (settings/SettingsStore); tests use one in memory.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;

    virtual std::string ReadString(const std::string& group, const std::string& key, const std::string& def) const = 0;
    virtual int32_t ReadInteger(const std::string& group, const std::string& key, int32_t def) const = 0;
    virtual bool ReadBool(const std::string& group, const std::string& key, bool def) const = 0;

    virtual bool WriteString(const std::string& group, const std::string& key, const std::string& value) = 0;
    virtual bool WriteInteger(const std::string& group, const std::string& key, int32_t value) = 0;
    virtual bool WriteBool(const std::string& group, const std::string& key, bool value) = 0;
    // Removes a group and every key in it.
    virtual bool DeleteGroup(const std::string& group) = 0;
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
inline constexpr BoolKey WindowNotify{"Window", "Notify", true};
inline constexpr BoolKey WindowTimestamps{"Window", "Timestamps", false};
inline constexpr IntKey WindowScrollback{"Window", "ScrollbackLines", 200000}; // 0: no limit
inline constexpr int32_t kMaxScrollback = 10000000;
inline constexpr IntKey WindowX{"Window", "X", 50};
inline constexpr IntKey WindowY{"Window", "Y", 50};
inline constexpr IntKey WindowWidth{"Window", "Width", 528};
inline constexpr IntKey WindowHeight{"Window", "Height", 390};

inline std::string Read(const SettingsSource& s, const TextKey& k) { return s.ReadString(k.group, k.key, k.def); }
inline int32_t Read(const SettingsSource& s, const IntKey& k) { return s.ReadInteger(k.group, k.key, k.def); }
inline bool Read(const SettingsSource& s, const BoolKey& k) { return s.ReadBool(k.group, k.key, k.def); }
inline bool Write(SettingsSource& s, const TextKey& k, const std::string& v) { return s.WriteString(k.group, k.key, v); }
inline bool Write(SettingsSource& s, const IntKey& k, int32_t v) { return s.WriteInteger(k.group, k.key, v); }
inline bool Write(SettingsSource& s, const BoolKey& k, bool v) { return s.WriteBool(k.group, k.key, v); }
} // namespace Settings
