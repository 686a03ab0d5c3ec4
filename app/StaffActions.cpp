#include "app/StaffActions.h"

#include "app/BanDialog.h"
#include "app/WxText.h"
#include "console/Console.h"
#include "console/StaffCommands.h"
#include "zone/Zone.h"

#include <wx/textdlg.h>

#include <optional>

namespace {

const char* const kKickQuestion = "How Many Mins for the Kick?\nCannot be Blank, 0 is Kick Only.";

// Every ban starts from the same options; only the generic ban lets the user
// name addresses, the player ban names its player.
void PrepareBan(BanDialog& dialog, bool addressFields, const std::string& name)
{
    dialog.SetAllAccounts(false);
    dialog.SetDays(7);
    dialog.SetDontKick(false);
    dialog.SetID("");
    dialog.SetIP("");
    dialog.SetIPRange("");
    dialog.SelectLevel(4);
    dialog.SetName(name);
    dialog.EnableAddressFields(addressFields);
}

// A fresh ban dialog in its slot, shown modally; its options when the user
// pressed OK. Nothing while a ban dialog is already showing.
std::optional<BanOptions> AskBanOptions(const StaffContext& staff, bool addressFields, const std::string& name)
{
    auto dialog = staff.banDialog.Open();
    if (!dialog)
        return std::nullopt;
    PrepareBan(*dialog, addressFields, name);
    dialog->ShowModal();
    if (!dialog->Confirmed())
        return std::nullopt;
    return dialog->Options();
}

} // namespace

void StaffGenericBan(const StaffContext& staff)
{
    if (!staff.console.zone.InArena())
        return;
    // The client went on while the dialog was open; the console checks the arena again.
    if (const std::optional<BanOptions> options = AskBanOptions(staff, true, ""))
        SendGenericBan(staff.console, *options);
}

void StaffBan(const StaffContext& staff, const std::string& name)
{
    if (const std::optional<BanOptions> options = AskBanOptions(staff, false, name))
        SendPlayerBan(staff.console, *options, name);
}

void StaffKick(const StaffContext& staff, const std::string& name)
{
    wxTextEntryDialog ask(&staff.parent, kKickQuestion, "Kick Time", "0", wxOK | wxCANCEL);
    if (ask.ShowModal() == wxID_OK)
        KickPlayer(staff.console, name, WxToBytes(ask.GetValue()));
}
