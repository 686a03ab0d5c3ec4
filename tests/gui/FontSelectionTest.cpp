#include "GuiTest.h"
#include "ModalScript.h"

#include "app/ChatFrame.h"
#include "app/FontSelection.h"
#include "app/InputLine.h"
#include "app/SettingsStore.h"
#include "app/UserList.h"
#include "console/ChatOutput.h"

#include <wx/fontdata.h>
#include <wx/fontdlg.h>
#include <wx/fontenum.h>
#include <wx/textctrl.h>

namespace {

void Command(wxWindow* frame, int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

wxString SlotColour(int slot)
{
    const Rgb rgb = ChatOutput::SlotColour(slot);
    return wxColour(rgb.r, rgb.g, rgb.b).GetAsString(wxC2S_HTML_SYNTAX);
}

// An installed face, so that the font survives the restart by name.
wxString InstalledFace()
{
    for (const char* face : {"DejaVu Serif", "Liberation Serif", "Nimbus Roman", "DejaVu Sans"})
        if (wxFontEnumerator::IsValidFacename(face))
            return face;
    const wxArrayString faces = wxFontEnumerator::GetFacenames();
    return faces.empty() ? wxString() : faces[0];
}

class FontSelectionTest : public FrameTest {
protected:
    struct Shown {
        long at; // a position inside the piece
        int slot;
    };

    // Lines in several colours, the way chat arrives.
    void ShowSomeChat()
    {
        DrainOutput();
        ChatOutput& out = frame_->Output();
        const int slots[] = {2, 5, 0, 7, 9, 3};
        for (int slot : slots) {
            const wxString before = frame_->OutputControl().GetValue();
            out.Print("line in slot " + std::to_string(slot), slot, true);
            DrainOutput();
            shown_.push_back({long(before.length()) + 3, slot});
        }
        shown_.push_back({2, ChatOutput::kSlotWhite}); // the start-up hint
        frame_->Input().ChangeValue("being typed");
        frame_->Output().AddUser("Bob", ChatOutput::kOwnFreq);
    }

    void ExpectColoursKept()
    {
        for (const Shown& piece : shown_) {
            wxTextAttr style;
            ASSERT_TRUE(frame_->OutputControl().GetStyle(piece.at, style)) << piece.at;
            EXPECT_EQ(style.GetTextColour().GetAsString(wxC2S_HTML_SYNTAX), SlotColour(piece.slot))
                << "at " << piece.at;
        }
    }

    void ExpectShownIn(const wxFont& font)
    {
        for (const Shown& piece : shown_) {
            wxTextAttr style;
            ASSERT_TRUE(frame_->OutputControl().GetStyle(piece.at, style));
            EXPECT_EQ(style.GetFont().GetPointSize(), font.GetPointSize()) << "at " << piece.at;
            EXPECT_EQ(style.GetFont().GetStyle(), font.GetStyle()) << "at " << piece.at;
            EXPECT_EQ(style.GetFont().GetWeight(), font.GetWeight()) << "at " << piece.at;
            EXPECT_EQ(style.GetFont().GetFaceName(), font.GetFaceName()) << "at " << piece.at;
        }
        EXPECT_EQ(ChatFontInForce(frame_->OutputControl()), font);
        EXPECT_EQ(frame_->Input().GetFont(), font);
        EXPECT_EQ(frame_->Users().GetFont(), font);
    }

    // F3, answered with `chosen` (or Cancel when it is not ok); gives the font the chooser opened on.
    wxFont ChooseFont(const wxFont& chosen)
    {
        ModalScript script;
        wxFont initial;
        script.Then([&](wxDialog& d) {
            auto& dialog = dynamic_cast<wxFontDialog&>(d);
            wxFontData& data = dialog.GetFontData();
            initial = data.GetInitialFont();
            EXPECT_TRUE(data.GetShowHelp());
            EXPECT_FALSE(data.GetEnableEffects());
            EXPECT_EQ(dialog.GetParent(), frame_);
            if (!chosen.IsOk())
                return int(wxID_CANCEL);
            data.SetChosenFont(chosen);
            return int(wxID_OK);
        });
        Command(frame_, kIdFont);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.opened, 1);
        return initial;
    }

    std::vector<Shown> shown_;
};

TEST_F(FontSelectionTest, TheChooserOpensOnTheStartUpFontAndCancelChangesNothing)
{
    OpenFrame();
    ShowSomeChat();
    const wxFont before = frame_->OutputControl().GetFont();
    const wxFont initial = ChooseFont(wxNullFont);
    EXPECT_EQ(initial.GetPointSize(), 8);
    EXPECT_EQ(initial.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(initial, before);

    ExpectColoursKept();
    EXPECT_FALSE(frame_->OutputControl().GetDefaultStyle().HasFont());
    EXPECT_EQ(frame_->Input().GetFont(), before);
    EXPECT_EQ(frame_->Users().GetFont(), before);
    SettingsStore store;
    EXPECT_EQ(store.ReadString("Font", "FontName", "<none>"), "<none>");
    EXPECT_EQ(store.ReadString("Font", "FontSize", "<none>"), "<none>");
}

TEST_F(FontSelectionTest, AChosenFontRestylesEverythingAndKeepsEveryColour)
{
    OpenFrame();
    ShowSomeChat();
    const wxFont chosen(wxFontInfo(12).FaceName(InstalledFace()).Italic());
    ChooseFont(chosen);

    ExpectColoursKept();
    ExpectShownIn(chosen);
    EXPECT_EQ(frame_->Input().GetValue(), "being typed");
    // Chat that arrives afterwards comes in the new font, in its own colour.
    const long end = frame_->OutputControl().GetLastPosition();
    frame_->Output().Print("later line", 4, true);
    DrainOutput();
    shown_.push_back({end + 3, 4});
    ExpectColoursKept();
    ExpectShownIn(chosen);

    SettingsStore store;
    EXPECT_EQ(store.ReadString("Font", "FontName", ""), InstalledFace().ToStdString());
    EXPECT_EQ(store.ReadInteger("Font", "FontSize", 0), 12);
    EXPECT_EQ(store.ReadInteger("Font", "FontStyle", 0), 93);
    EXPECT_EQ(store.ReadInteger("Font", "FontWeight", 0), 90);
}

TEST_F(FontSelectionTest, TheNextChooserOpensOnTheChosenFontAndTheFontSurvivesARestart)
{
    OpenFrame();
    const wxFont chosen(wxFontInfo(14).FaceName(InstalledFace()).Bold().Style(wxFONTSTYLE_SLANT));
    ChooseFont(chosen);
    EXPECT_EQ(ChooseFont(wxNullFont), chosen);

    frame_->Destroy();
    PumpPending();
    ASSERT_TRUE(FrameClosed());
    OpenFrame();
    for (wxWindow* child : {static_cast<wxWindow*>(&frame_->OutputControl()), static_cast<wxWindow*>(&frame_->Input()),
                            static_cast<wxWindow*>(&frame_->Users())}) {
        const wxFont font = child->GetFont();
        EXPECT_EQ(font.GetFaceName(), chosen.GetFaceName());
        EXPECT_EQ(font.GetPointSize(), 14);
        EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
        // Pango knows oblique; a face without one may come back as italic.
        EXPECT_NE(font.GetStyle(), wxFONTSTYLE_NORMAL);
    }
    EXPECT_EQ(ChooseFont(wxNullFont).GetPointSize(), 14);
}

} // namespace
