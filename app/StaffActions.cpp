#include "app/StaffActions.h"

#include "app/BanDialog.h"
#include "app/ChatFrame.h"
#include "app/UserList.h"
#include "app/WxText.h"
#include "console/ChatOutput.h"
#include "transport/Connection.h"
#include "zone/Chat.h"
#include "zone/ZoneSession.h"

#include <wx/textdlg.h>

#include <optional>

// --- texts ---------------------------------------------------------------------

namespace {

std::string BanFlags(const BanOptions& options)
{
    std::string flags;
    if (options.allAccounts)
        flags += "-! ";
    if (options.dontKick)
        flags += "-k ";
    return flags;
}

} // namespace

std::string GenericBanText(const BanOptions& options)
{
    return "?ban -a" + options.level + " -e" + options.days + " -i" + options.ip + " -m" + options.ipRange + " -n" +
           options.id + " " + BanFlags(options) + options.name;
}

std::string PlayerBanText(const BanOptions& options, const std::string& player)
{
    return "?ban -a" + options.level + " -e" + options.days + " " + BanFlags(options) + player;
}

bool ValidKickTime(const std::string& text)
{
    const size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    // A sign alone is no number of minutes.
    if (digits == text.size())
        return false;
    for (size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

std::string KickText(const std::string& minutes) { return "/*kill " + minutes; }

// --- commands ------------------------------------------------------------------

namespace {

const char* const kKickQuestion = "How Many Mins for the Kick?\nCannot be Blank, 0 is Kick Only.";
const char* const kInvalidKickTime = "Invalid Value for Kick Time";

void PrintWhite(ChatFrame& frame, const std::string& text) { frame.Output().Print(text, ChatOutput::kSlotWhite, true); }

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

// A fresh ban dialog in the frame's slot, shown modally; its options when the
// user pressed OK. Nothing while a ban dialog is already showing.
std::optional<BanOptions> AskBanOptions(ChatFrame& frame, bool addressFields, const std::string& name)
{
    auto dialog = frame.BanDialogSlot().Open();
    if (!dialog)
        return std::nullopt;
    PrepareBan(*dialog, addressFields, name);
    dialog->ShowModal();
    if (!dialog->Confirmed())
        return std::nullopt;
    return dialog->Options();
}

void SendToPlayer(ChatFrame& frame, const std::string& text, const std::string& name)
{
    // Looked up when the command sends, not when the menu opened: the player may have left.
    SendChat(frame.Link(), text, kChatPrivate, PlayerIdOf(frame.Link(), name), false);
}

void SendInArena(ChatFrame& frame, const char* text)
{
    Connection& link = frame.Link();
    if (link.InArena())
        SendChat(link, text, kChatPublic, 0, false);
}

} // namespace

void StaffGenericBan(ChatFrame& frame)
{
    Connection& link = frame.Link();
    if (!link.InArena())
        return;
    const std::optional<BanOptions> options = AskBanOptions(frame, true, "");
    // The connection went on while the dialog was open. Out of the arena now, the
    // ban would go out mid-login or to no one; it is dropped like one made outside.
    if (!options || !link.InArena())
        return;
    SendChat(link, GenericBanText(*options), kChatPublic, 0, false);
}

void StaffBan(ChatFrame& frame, const std::string& name)
{
    const std::optional<BanOptions> options = AskBanOptions(frame, false, name);
    if (options)
        SendChat(frame.Link(), PlayerBanText(*options, name), kChatPublic, 0, true);
}

void StaffKick(ChatFrame& frame, const std::string& name)
{
    wxTextEntryDialog ask(&frame.Users(), kKickQuestion, "Kick Time", "0", wxOK | wxCANCEL);
    if (ask.ShowModal() != wxID_OK)
        return;
    const std::string minutes = WxToBytes(ask.GetValue());
    if (!ValidKickTime(minutes)) {
        PrintWhite(frame, kInvalidKickTime);
        return;
    }
    PrintWhite(frame, "Kicking: " + name);
    SendToPlayer(frame, KickText(minutes), name);
}

void StaffSilence(ChatFrame& frame, const std::string& name)
{
    PrintWhite(frame, "Silencing: " + name);
    SendToPlayer(frame, kSilenceText, name);
}

void StaffInfo(ChatFrame& frame, const std::string& name)
{
    PrintWhite(frame, "Info On: " + name);
    SendToPlayer(frame, kInfoText, name);
}

void StaffServerLog(ChatFrame& frame) { SendInArena(frame, kServerLogText); }

void StaffServerLag(ChatFrame& frame) { SendInArena(frame, kServerLagText); }
