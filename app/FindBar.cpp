#include "app/FindBar.h"

#include "app/WxText.h"
#include "zone/Names.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

FindBar::FindBar(wxWindow* parent, wxTextCtrl& output, std::function<const std::string&()> shown,
                 std::function<void()> closed)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "findbar"), output_(output),
      shown_(std::move(shown)), closed_(std::move(closed))
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
    const std::string& text = shown_();
    status_->SetLabel(wxEmptyString);
    if (query.empty())
        return;
    // The current match is the output's selection; without one the search starts at the top.
    long from = 0;
    long to = 0;
    output_.GetSelection(&from, &to);
    size_t start = from != to ? size_t(from) : 0;
    if (forward && skipCurrent && from != to)
        ++start;
    size_t found = FindNoCase(text, query, start, forward);
    if (found == std::string::npos) // round the end to the other side
        found = FindNoCase(text, query, forward ? 0 : text.size(), forward);
    if (found == std::string::npos) {
        status_->SetLabel("Not found");
        Layout();
        return;
    }
    output_.SetSelection(long(found), long(found + query.size()));
    output_.ShowPosition(long(found));
}
