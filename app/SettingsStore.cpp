#include "app/SettingsStore.h"

#include "app/Cp1252.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/string.h>
#include <wx/utils.h>

namespace {
// Protocol and settings text is Windows-1252 bytes. The file holds the characters
// themselves, so a "\x80" byte is stored as a euro sign, a hand-edited value reads
// back as the same characters, and one the code page cannot hold gets a "?" in
// place of that character instead of losing the whole value.
wxString ToWx(const std::string& s) { return wxString(DecodeCp1252(s)); }
std::string FromWx(const wxString& s) { return EncodeCp1252(s.ToStdWstring()); }
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

static std::shared_ptr<wxConfigBase> OpenStore()
{
#ifdef _WIN32
    return std::make_shared<wxConfig>("Quillon", wxEmptyString);
#else
    // The user's ~/.Quillon, where wxConfig keeps it by default. Naming the file
    // here keeps the store usable before (or without) an application object.
    // wxConfig's usual style: the user's file, over a system-wide /etc/Quillon.conf
    // when an administrator provides one. Without the local-file flag the store
    // would read and write no file at all.
    const wxString file = wxFileName(wxGetHomeDir(), ".Quillon").GetFullPath();
    return std::make_shared<wxFileConfig>("Quillon", wxEmptyString, file, wxEmptyString,
                                          wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE);
#endif
}

static std::shared_ptr<wxConfigBase> MakeStore()
{
    std::shared_ptr<wxConfigBase> store = OpenStore();
    // Values are read as they were written: wxConfig would otherwise replace "$HOME"
    // or "${USER}" in a password, a name or an automatic command.
    store->SetExpandEnvVars(false);
    return store;
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
