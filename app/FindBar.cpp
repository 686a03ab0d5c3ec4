#include "app/FindBar.h"

#include "app/ChatView.h"
#include "app/WxText.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

FindBar::FindBar(wxWindow* parent, std::function<ChatView&()> output, std::function<void()> closed)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "findbar"), output_(std::move(output)),
      closed_(std::move(closed))
{
    field_ = new wxTextCtrl(this, kIdField, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER,
                            wxDefaultValidator, "find");
    status_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Find:"), 0, wxALIGN_CENTRE_VERTICAL | wxLEFT | wxRIGHT, 4);
    row->Add(field_, 1, wxEXPAND);
    row->Add(status_, 0, wxALIGN_CENTRE_VERTICAL | wxLEFT | wxRIGHT, 6);
    SetSizer(row);
    field_->Bind(wxEVT_TEXT, &FindBar::OnText, this);
    field_->Bind(wxEVT_KEY_DOWN, &FindBar::OnKeyDown, this);
    Hide();
}

void FindBar::Open()
{
    if (!IsShown()) {
        Show();
        GetParent()->Layout();
    }
    field_->SetFocus();
    field_->SelectAll();
}

void FindBar::OnText(wxCommandEvent&) { Find(true, false); }

void FindBar::OnKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        Find(!event.ShiftDown(), true);
        break;
    case WXK_ESCAPE:
        Hide();
        GetParent()->Layout();
        closed_();
        break;
    default:
        event.Skip();
        break;
    }
}

void FindBar::Find(bool forward, bool skipCurrent)
{
    const std::string query = WxToBytes(field_->GetValue());
    status_->SetLabel(wxEmptyString);
    ChatView& output = output_();
    const LineStore* lines = output.Lines();
    if (query.empty() || lines == nullptr)
        return;
    // The current match is the output's selection; without one the search starts at the top.
    const bool current = output.HasSelection();
    TextPos start = current ? output.SelectionStart() : TextPos{lines->First(), 0};
    if (forward && skipCurrent && current)
        ++start.column;
    TextPos found;
    if (!lines->Find(query, start, forward, found) && // round the end to the other side
        !lines->Find(query, forward ? TextPos{lines->First(), 0} : lines->EndPos(), forward, found)) {
        status_->SetLabel("Not found");
        Layout();
        return;
    }
    output.Select(found, TextPos{found.line, found.column + query.size()});
    output.ShowPosition(found);
}
