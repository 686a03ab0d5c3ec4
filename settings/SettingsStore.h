#pragma once

#include "zone/Settings.h"

#include <cstdint>
#include <string>

// A handle on the per-user settings store (application "Quillon"). Nothing is
// cached: every call opens the store afresh, so a write through one handle, by
// another running copy or by hand is seen by the next read through any other.
class SettingsStore final : public SettingsSource {
public:
    SettingsStore();
    ~SettingsStore() override;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    std::string ReadString(const std::string& group, const std::string& key, const std::string& def) const override;
    int32_t ReadInteger(const std::string& group, const std::string& key, int32_t def) const override;
    bool ReadBool(const std::string& group, const std::string& key, bool def) const override;

    bool WriteString(const std::string& group, const std::string& key, const std::string& value) override;
    bool WriteInteger(const std::string& group, const std::string& key, int32_t value) override;
    bool WriteBool(const std::string& group, const std::string& key, bool value) override;
    bool DeleteGroup(const std::string& group) override;
};
