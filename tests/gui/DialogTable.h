#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One row of a dialog's control table.
struct ControlRow {
    enum Kind { kLabel, kField, kChoice, kCheckBox, kButton };
    int id;
    Kind kind;
    std::string text; // label, initial value, or the choice's items joined by ","
    wxPoint position;
    wxSize size;
    long style; // flags the control must carry; 0: none of the notable ones
    std::string name;
};

inline std::string ChoiceItems(const wxChoice& choice)
{
    std::string items;
    for (unsigned i = 0; i < choice.GetCount(); ++i)
        items += (i ? "," : "") + choice.GetString(i).ToStdString();
    return items;
}

// Every control of the table, in the table's order as the dialog's children,
// with its kind, text, place, size, style and window name; nothing else.
inline void ExpectControls(const wxDialog& dialog, const std::vector<ControlRow>& table)
{
    const wxWindowList& children = dialog.GetChildren();
    ASSERT_EQ(children.size(), table.size());
    size_t i = 0;
    for (const wxWindow* child : children) {
        const ControlRow& row = table[i++];
        SCOPED_TRACE(row.name + " (id " + std::to_string(row.id) + ")");
        EXPECT_EQ(child->GetId(), row.id);
        EXPECT_EQ(child->GetName(), row.name);
        EXPECT_EQ(child->GetPosition(), row.position);
        EXPECT_EQ(child->GetSize(), row.size);
        if (row.style != 0) {
            EXPECT_TRUE(child->HasFlag(row.style));
        }
        switch (row.kind) {
        case ControlRow::kLabel:
            ASSERT_NE(dynamic_cast<const wxStaticText*>(child), nullptr);
            EXPECT_EQ(child->GetLabel(), row.text);
            break;
        case ControlRow::kField: {
            auto* field = dynamic_cast<const wxTextCtrl*>(child);
            ASSERT_NE(field, nullptr);
            EXPECT_EQ(field->GetValue(), row.text);
            EXPECT_TRUE(field->IsSingleLine());
            EXPECT_TRUE(field->IsEditable());
            EXPECT_EQ(field->HasFlag(wxTE_PASSWORD), (row.style & wxTE_PASSWORD) != 0);
            break;
        }
        case ControlRow::kChoice: {
            auto* choice = dynamic_cast<const wxChoice*>(child);
            ASSERT_NE(choice, nullptr);
            EXPECT_EQ(ChoiceItems(*choice), row.text);
            break;
        }
        case ControlRow::kCheckBox:
            ASSERT_NE(dynamic_cast<const wxCheckBox*>(child), nullptr);
            EXPECT_EQ(child->GetLabel(), row.text);
            break;
        case ControlRow::kButton:
            ASSERT_NE(dynamic_cast<const wxButton*>(child), nullptr);
            EXPECT_EQ(child->GetLabel(), row.text);
            break;
        }
    }
}

inline constexpr long kDialogStyle = wxCAPTION | wxSYSTEM_MENU | wxRAISED_BORDER;
