#include "settings/SettingsStore.h"

#include "settings/Cp1252.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/string.h>
#include <wx/utils.h>

#include <memory>

namespace {
// Protocol and settings text is Windows-1252 bytes. The file holds the characters
// themselves, so a "\x80" byte is stored as a euro sign, a hand-edited value reads
// back as the same characters, and one the code page cannot hold gets a "?" in
// place of that character instead of losing the whole value.
wxString ToWx(const std::string& s) { return wxString(DecodeCp1252(s)); }
std::string FromWx(const wxString& s) { return EncodeCp1252(s.ToStdWstring()); }
} // namespace

static std::unique_ptr<wxConfigBase> OpenStore()
{
#ifdef _WIN32
    return std::make_unique<wxConfig>("Quillon", wxEmptyString);
#else
    // The user's ~/.Quillon, where wxConfig keeps it by default. Naming the file
    // here keeps the store usable before (or without) an application object.
    // wxConfig's usual style: the user's file, over a system-wide /etc/Quillon.conf
    // when an administrator provides one. Without the local-file flag the store
    // would read and write no file at all.
    const wxString file = wxFileName(wxGetHomeDir(), ".Quillon").GetFullPath();
    auto store = std::make_unique<wxFileConfig>("Quillon", wxEmptyString, file, wxEmptyString,
                                                wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_GLOBAL_FILE);
    // The file holds the password: every write makes it afresh, readable by its owner alone.
    store->SetUmask(0077);
    return store;
#endif
}

static std::unique_ptr<wxConfigBase> MakeStore()
{
    std::unique_ptr<wxConfigBase> store = OpenStore();
    // Values are read as they were written: wxConfig would otherwise replace "$HOME"
    // or "${USER}" in a password, a name or an automatic command.
    store->SetExpandEnvVars(false);
    return store;
}

namespace {
// The settings file holds the password: readable by its owner alone. A write keeps
// the mode the file had, so a mode changed meanwhile is put right after each.
void KeepPrivate()
{
#ifndef _WIN32
    const wxString file = wxFileName(wxGetHomeDir(), ".Quillon").GetFullPath();
    if (wxFileExists(file))
        wxFileName(file).SetPermissions(wxPOSIX_USER_READ | wxPOSIX_USER_WRITE);
#endif
}
} // namespace

// A file an older version left readable by others is closed to them now.
SettingsStore::SettingsStore() { KeepPrivate(); }

SettingsStore::~SettingsStore() = default;

namespace {
// The store opened afresh for one call, in the group asked for: the file holds the
// truth, so a change from another running copy or a hand edit is read too.
std::unique_ptr<wxConfigBase> StoreAt(const std::string& group)
{
    std::unique_ptr<wxConfigBase> store = MakeStore();
    store->SetPath("/" + ToWx(group));
    return store;
}

template <typename Value> bool Write(const std::string& group, const std::string& key, const Value& value)
{
    const std::unique_ptr<wxConfigBase> store = StoreAt(group);
    const bool ok = store->Write(ToWx(key), value);
    const bool flushed = store->Flush();
    KeepPrivate();
    return flushed && ok;
}
} // namespace

std::string SettingsStore::ReadString(const std::string& group, const std::string& key, const std::string& def) const
{
    wxString value;
    if (!StoreAt(group)->Read(ToWx(key), &value))
        return def;
    return FromWx(value);
}

int32_t SettingsStore::ReadInteger(const std::string& group, const std::string& key, int32_t def) const
{
    long value = 0;
    if (!StoreAt(group)->Read(ToWx(key), &value))
        return def;
    return int32_t(value);
}

bool SettingsStore::ReadBool(const std::string& group, const std::string& key, bool def) const
{
    bool value = false;
    if (!StoreAt(group)->Read(ToWx(key), &value))
        return def;
    return value;
}

bool SettingsStore::WriteString(const std::string& group, const std::string& key, const std::string& value)
{
    return Write(group, key, ToWx(value));
}

bool SettingsStore::WriteInteger(const std::string& group, const std::string& key, int32_t value)
{
    return Write(group, key, long(value));
}

bool SettingsStore::WriteBool(const std::string& group, const std::string& key, bool value)
{
    return Write(group, key, value);
}

bool SettingsStore::DeleteGroup(const std::string& group)
{
    const std::unique_ptr<wxConfigBase> store = MakeStore();
    const bool ok = !store->HasGroup("/" + ToWx(group)) || store->DeleteGroup("/" + ToWx(group));
    const bool flushed = store->Flush();
    KeepPrivate();
    return flushed && ok;
}
