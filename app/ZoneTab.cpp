#include "app/ZoneTab.h"

#include "app/ChatView.h"
#include "app/UserList.h"
#include "app/WindowIds.h"
#include "client/ChatClient.h"

#include <wx/sizer.h>

#include <filesystem>
#include <system_error>

namespace {
constexpr long kUserListStyle = wxLC_REPORT | wxLC_SINGLE_SEL | wxVSCROLL;

std::string FolderFor(const SettingsSource& settings, int index, const std::string& programFolder)
{
    if (index == 0)
        return programFolder;
    const std::string folder = programFolder + ZoneList::FolderOf(ZoneList::Read(settings, index).name);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}
} // namespace

ZoneTab::ZoneTab(wxWindow* parent, SettingsSource& settings, int zoneIndex, const std::string& programFolder)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER, "zone"),
      settings_(settings, zoneIndex), folder_(FolderFor(settings, zoneIndex, programFolder))
{
    output_ = new ChatView(this, kIdOutput, wxPoint(0, 0), wxSize(340, 300));
    users_ = new UserList(this, kIdUserList, wxPoint(360, 0), wxSize(200, 300), kUserListStyle);
    // Only the output area takes extra width; extra height goes to both.
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(output_, 1, wxEXPAND);
    row->Add(users_, 0, wxEXPAND);
    SetSizer(row);

    client_ = std::make_unique<ChatClient>(*output_, *users_, settings_, folder_);
    output_->SetLines(client_->Output().Lines());
    if (zoneIndex != 0)
        client_->GetZone().packetLog = folder_ + "Packet.log";
    RefreshName();
}

ZoneTab::~ZoneTab()
{
    // The client says goodbye to the server while the output still exists.
    client_.reset();
}

ChatOutput& ZoneTab::Output() const { return client_->Output(); }

void ZoneTab::RefreshName()
{
    const ZoneEntry entry = ZoneList::Read(settings_, 0);
    name_ = !entry.name.empty() ? entry.name : entry.ip + ":" + entry.port;
}

std::string ZoneTab::Label() const
{
    std::string label = ZoneName();
    const uint64_t unseen = Unseen();
    if (unseen > 0)
        label += " (" + std::to_string(unseen) + (mentionUnseen_ ? "!)" : ")");
    return label;
}

bool ZoneTab::SendIdleEvents(wxIdleEvent& event) { return inFront_ && wxPanel::SendIdleEvents(event); }

bool ZoneTab::TakeLabelChange()
{
    const uint64_t unseen = Unseen();
    if (unseen == labelUnseen_ && mentionUnseen_ == labelMention_ && name_ == labelName_)
        return false;
    labelUnseen_ = unseen;
    labelMention_ = mentionUnseen_;
    labelName_ = name_;
    return true;
}

void ZoneTab::MarkSeen()
{
    seenEnd_ = client_->Output().Lines().End();
    mentionUnseen_ = false;
}

uint64_t ZoneTab::Unseen() const { return client_->Output().Lines().End() - seenEnd_; }
