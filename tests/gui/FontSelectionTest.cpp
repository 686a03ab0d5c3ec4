#include "GuiTest.h"
#include "ModalScript.h"

#include "app/UserList.h"

#include <wx/fontdata.h>
#include <wx/fontdlg.h>
#include <wx/fontenum.h>

namespace {

class FontSelectionTest : public FrameTest {
protected:
    // Prints a line in the slot.
    void Show(int slot)
    {
        frame_->Output().Print("line in slot " + std::to_string(slot), slot, true);
        DrainOutput();
    }

    // The output (its colours are drawn over any font: the output view's tests), the
    // input line and the user list show in `font`; the output's rows are as tall as it is.
    void ExpectShownIn(const wxFont& font)
    {
        ChatView& output = frame_->OutputArea();
        EXPECT_EQ(output.GetFont(), font);
        int width = 0, height = 0;
        output.GetTextExtent("Xg", &width, &height, nullptr, nullptr, &font);
        EXPECT_EQ(output.RowHeight(), height);
        EXPECT_EQ(frame_->Input().GetFont(), font);
        EXPECT_EQ(frame_->Users().GetFont(), font);
    }

    // F3, answered with `chosen` (Cancel when it is not ok); gives the font the chooser opened on.
    wxFont ChooseFont(const wxFont& chosen)
    {
        ModalScript script;
        wxFont initial;
        script.Then([&](wxDialog& d) {
            wxFontData& data = dynamic_cast<wxFontDialog&>(d).GetFontData();
            initial = data.GetInitialFont();
            data.SetChosenFont(chosen);
            return int(chosen.IsOk() ? wxID_OK : wxID_CANCEL);
        });
        Command(kIdFont);
        EXPECT_TRUE(script.Done());
        return initial;
    }
};

TEST_F(FontSelectionTest, AChosenFontRestylesEveryLineInItsOwnColourAndIsKeptForTheNextStart)
{
    OpenFrame();
    DrainOutput();
    for (int slot : {2, 9, 3})
        Show(slot);
    frame_->Input().ChangeValue("being typed");
    const wxFont startUp = frame_->OutputArea().GetFont();
    EXPECT_EQ(startUp.GetPointSize(), 8);
    EXPECT_EQ(startUp.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(ChooseFont(wxNullFont), startUp);
    ExpectShownIn(startUp);
    EXPECT_EQ(SettingsStore().ReadString("Font", "FontSize", "<none>"), "<none>");

    // An installed face, so that the font survives the restart by name.
    wxString face = "DejaVu Serif";
    if (!wxFontEnumerator::IsValidFacename(face))
        face = wxFontEnumerator::GetFacenames()[0];
    const wxFont chosen(wxFontInfo(14).FaceName(face).Bold().Style(wxFONTSTYLE_SLANT));
    ChooseFont(chosen);
    ExpectShownIn(chosen);
    EXPECT_EQ(frame_->Input().GetValue(), "being typed");
    Show(4); // what arrives afterwards comes in the new font too
    ExpectShownIn(chosen);
    EXPECT_EQ(ChooseFont(wxNullFont), chosen);

    frame_->Destroy();
    PumpPending();
    OpenFrame();
    for (wxWindow* child : {static_cast<wxWindow*>(&frame_->OutputArea()), static_cast<wxWindow*>(&frame_->Input()),
                            static_cast<wxWindow*>(&frame_->Users())}) {
        const wxFont font = child->GetFont();
        EXPECT_EQ(font.GetFaceName(), face);
        EXPECT_EQ(font.GetPointSize(), 14);
        EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
        // Pango knows oblique; a face without one may come back as italic.
        EXPECT_NE(font.GetStyle(), wxFONTSTYLE_NORMAL);
    }
}

} // namespace
