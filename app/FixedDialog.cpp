#include "app/FixedDialog.h"

#include <wx/fontenum.h>

wxString FirstInstalledFace(std::initializer_list<const char*> faces)
{
    for (const char* face : faces)
        if (wxFontEnumerator::IsValidFacename(face))
            return face;
    return wxString();
}

wxFont DialogFont()
{
    const wxString face = FirstInstalledFace({"Arial", "Liberation Sans", "Arimo", "Nimbus Sans"});
    return wxFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).FaceName(face));
}

wxFont DialogTitleFont(int points)
{
    const wxString face = FirstInstalledFace({"Times New Roman", "Liberation Serif", "Tinos", "Nimbus Roman"});
    return wxFont(wxFontInfo(points).Family(wxFONTFAMILY_ROMAN).FaceName(face).Style(wxFONTSTYLE_NORMAL).Bold());
}

void CancelOnEscape(wxDialog& dialog, int cancelId)
{
    dialog.Bind(wxEVT_CHAR_HOOK, [&dialog, cancelId](wxKeyEvent& event) {
        if (event.GetKeyCode() != WXK_ESCAPE) {
            event.Skip();
            return;
        }
        wxCommandEvent click(wxEVT_BUTTON, cancelId);
        click.SetEventObject(&dialog);
        dialog.ProcessWindowEvent(click);
    });
}
