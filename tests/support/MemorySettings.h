#pragma once

#include "zone/Settings.h"

#include <map>
#include <string>

// Settings kept in memory, for tests of the core.
class MemorySettings final : public SettingsSource {
public:
    std::string ReadString(const std::string& group, const std::string& key, const std::string& def) const override
    {
        const auto found = values_.find(group + "/" + key);
        return found != values_.end() ? found->second : def;
    }
    int32_t ReadInteger(const std::string& group, const std::string& key, int32_t def) const override
    {
        return int32_t(std::stol(ReadString(group, key, std::to_string(def))));
    }
    bool ReadBool(const std::string& group, const std::string& key, bool def) const override
    {
        return ReadInteger(group, key, def ? 1 : 0) != 0;
    }
    bool WriteString(const std::string& group, const std::string& key, const std::string& value) override
    {
        values_[group + "/" + key] = value;
        return true;
    }
    bool WriteInteger(const std::string& group, const std::string& key, int32_t value) override
    {
        return WriteString(group, key, std::to_string(value));
    }
    bool WriteBool(const std::string& group, const std::string& key, bool value) override
    {
        return WriteInteger(group, key, value ? 1 : 0);
    }

    bool DeleteGroup(const std::string& group) override
    {
        const std::string prefix = group + "/";
        for (auto it = values_.lower_bound(prefix); it != values_.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
            it = values_.erase(it);
        return true;
    }
    bool Has(const std::string& group, const std::string& key) const { return values_.count(group + "/" + key) != 0; }

private:
    std::map<std::string, std::string> values_;
};
