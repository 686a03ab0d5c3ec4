#pragma once

#include <wx/dialog.h>
#include <wx/font.h>

#include <initializer_list>

// What the settings and ban dialogs share: a caption and system menu, controls at
// fixed pixels, and Escape for their Cancel button.
constexpr long kFixedDialogStyle = wxCAPTION | wxSYSTEM_MENU | wxRAISED_BORDER;

// The controls' pixels are sized for an 8-point face of Arial's width; GTK's
// default face is wider and would cut their labels off. These pick the nearest
// installed faces, or the family's default.
wxString FirstInstalledFace(std::initializer_list<const char*> faces);
wxFont DialogFont();
wxFont DialogTitleFont(int points);

// Escape clicks the button `cancelId`. wxWidgets would look for a button with the
// standard cancel id, which the dialogs' buttons do not carry.
void CancelOnEscape(wxDialog& dialog, int cancelId);
