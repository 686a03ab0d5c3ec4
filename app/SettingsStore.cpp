#include "app/SettingsStore.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/string.h>

namespace {
// Protocol and settings text is 8-bit; Latin-1 maps every byte to one character and back.
wxString ToWx(const std::string& s) { return wxString(s.data(), wxConvISO8859_1, s.size()); }
std::string FromWx(const wxString& s)
{
    const wxCharBuffer buffer = s.mb_str(wxConvISO8859_1);
    return std::string(buffer.data(), buffer.length());
}
} // namespace

namespace {
// Every handle works on one store object. A file-backed store reads its file once,
// so separate objects would not see each other's writes.
std::weak_ptr<wxConfigBase>& SharedStore()
{
    static std::weak_ptr<wxConfigBase> store;
    return store;
}
} // namespace

static std::shared_ptr<wxConfigBase> MakeStore()
{
#ifdef _WIN32
    return std::make_shared<wxConfig>("Quillon", wxEmptyString);
#else
    // The user's ~/.Quillon, where wxConfig keeps it by default. Naming the file
    // here keeps the store usable before (or without) an application object.
    // The local-file style matters: without it the store reads and writes no file.
    const wxString file = wxFileName(wxGetHomeDir(), ".Quillon").GetFullPath();
    return std::make_shared<wxFileConfig>("Quillon", wxEmptyString, file, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
#endif
}

SettingsStore::SettingsStore()
{
    config_ = SharedStore().lock();
    if (!config_) {
        config_ = MakeStore();
        SharedStore() = config_;
    }
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::EnterGroup(const std::string& group) const { config_->SetPath("/" + ToWx(group)); }

std::string SettingsStore::ReadString(const std::string& group, const std::string& key, const std::string& def) const
{
    EnterGroup(group);
    wxString value;
    if (!config_->Read(ToWx(key), &value))
        return def;
    return FromWx(value);
}

int32_t SettingsStore::ReadInteger(const std::string& group, const std::string& key, int32_t def) const
{
    EnterGroup(group);
    long value = 0;
    if (!config_->Read(ToWx(key), &value))
        return def;
    return int32_t(value);
}

bool SettingsStore::ReadBool(const std::string& group, const std::string& key, bool def) const
{
    EnterGroup(group);
    bool value = false;
    if (!config_->Read(ToWx(key), &value))
        return def;
    return value;
}

bool SettingsStore::WriteString(const std::string& group, const std::string& key, const std::string& value)
{
    EnterGroup(group);
    const bool ok = config_->Write(ToWx(key), ToWx(value));
    return config_->Flush() && ok;
}

bool SettingsStore::WriteInteger(const std::string& group, const std::string& key, int32_t value)
{
    EnterGroup(group);
    const bool ok = config_->Write(ToWx(key), long(value));
    return config_->Flush() && ok;
}

bool SettingsStore::WriteBool(const std::string& group, const std::string& key, bool value)
{
    EnterGroup(group);
    const bool ok = config_->Write(ToWx(key), value);
    return config_->Flush() && ok;
}
