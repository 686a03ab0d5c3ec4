#include "DialogTable.h"
#include "GuiTest.h"
#include "ModalScript.h"

#include "app/BanDialog.h"

namespace {

using Row = ControlRow;

const std::vector<ControlRow> kBanTable = {
    {105, Row::kLabel, "Ban Options", {150, 5}, {100, 15}, wxALIGN_CENTRE, "Label3_Title"},
    {205, Row::kField, "", {10, 35}, {90, 20}, 0, "Text3_BanIP"},
    {215, Row::kField, "", {110, 35}, {90, 20}, 0, "Text3_BanID"},
    {300, Row::kChoice, "4,3,2,1,0", {210, 35}, {30, 20}, 0, "Choice3_BanLevel"},
    {200, Row::kField, "7", {250, 35}, {50, 20}, 0, "Text3_BanDays"},
    {210, Row::kField, "", {10, 70}, {90, 20}, 0, "Text3_BanIPRange"},
    {220, Row::kField, "", {110, 70}, {190, 20}, 0, "Text3_BanName"},
    {400, Row::kCheckBox, "- All Accounts", {11, 90}, {90, 20}, 0, "Chk3_AllAccounts"},
    {405, Row::kCheckBox, "- Dont Kick", {111, 90}, {80, 20}, 0, "Chk3_DontKick"},
    {505, Row::kLabel, "Ban IP", {10, 20}, {90, 15}, wxALIGN_CENTRE, "Label3_BanIP"},
    {515, Row::kLabel, "Ban ID", {110, 20}, {90, 15}, wxALIGN_CENTRE, "Label3_BanID"},
    {525, Row::kLabel, "Level", {210, 20}, {30, 15}, wxALIGN_CENTRE, "Label3_BanLevel"},
    {500, Row::kLabel, "Days", {250, 20}, {50, 15}, wxALIGN_CENTRE, "Label3_BanDays"},
    {510, Row::kLabel, "IP Range", {10, 55}, {90, 15}, wxALIGN_CENTRE, "Label3_BanIPRange"},
    {520, Row::kLabel, "Name", {110, 55}, {190, 15}, wxALIGN_CENTRE, "Label3_BanName"},
    {600, Row::kButton, "OK", {320, 35}, {50, 25}, 0, "Btn3_OK"},
    {605, Row::kButton, "Cancel", {320, 70}, {50, 25}, 0, "Btn3_Cancel"},
};

using BanDialogTest = FrameTest;

TEST_F(BanDialogTest, CarriesEveryControlOfItsTableInOrder)
{
    BanDialog dialog;
    EXPECT_EQ(dialog.GetId(), 100);
    EXPECT_EQ(dialog.GetTitle(), "Ban Options");
    EXPECT_EQ(dialog.GetName(), "BanDialog");
    EXPECT_EQ(dialog.GetParent(), nullptr);
    EXPECT_EQ(dialog.GetSize(), wxSize(390, 140));
    EXPECT_TRUE(dialog.HasFlag(kDialogStyle));
    EXPECT_FALSE(dialog.HasFlag(wxRESIZE_BORDER));
    EXPECT_EQ(dialog.GetSizer(), nullptr);
    ExpectControls(dialog, kBanTable);
    EXPECT_EQ(dialog.Level(), "4");
    EXPECT_FALSE(dialog.Confirmed());
}

TEST_F(BanDialogTest, SettersShowInTheControlsAndGettersReadThemBack)
{
    BanDialog dialog;
    dialog.SelectLevel(2);
    dialog.SetDays(30);
    dialog.SetIP("10.0.0.1");
    dialog.SetIPRange("10.0.0.*");
    dialog.SetID("12345");
    dialog.SetName(std::string("Sp\xE9") + "cial \x80");
    dialog.SetAllAccounts(true);
    dialog.SetDontKick(true);

    EXPECT_EQ(static_cast<wxChoice*>(dialog.FindWindow(300))->GetStringSelection(), "2");
    EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(200))->GetValue(), "30");
    // The name travels as Windows-1252 and shows decoded.
    EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(220))->GetValue(), wxString(L"Sp\u00E9cial \u20AC"));

    const BanOptions options = dialog.Options();
    EXPECT_EQ(options.level, "2");
    EXPECT_EQ(options.days, "30");
    EXPECT_EQ(options.ip, "10.0.0.1");
    EXPECT_EQ(options.ipRange, "10.0.0.*");
    EXPECT_EQ(options.id, "12345");
    EXPECT_EQ(options.name, std::string("Sp\xE9") + "cial \x80");
    EXPECT_TRUE(options.allAccounts);
    EXPECT_TRUE(options.dontKick);

    // A level the list does not offer leaves the choice alone.
    dialog.SelectLevel(7);
    EXPECT_EQ(dialog.Level(), "2");
    dialog.SelectLevel(0);
    EXPECT_EQ(dialog.Level(), "0");
}

TEST_F(BanDialogTest, AddressFieldsAreEnabledAndDisabledTogether)
{
    BanDialog dialog;
    dialog.EnableAddressFields(false);
    for (int id : {205, 210, 215})
        EXPECT_FALSE(dialog.FindWindow(id)->IsEnabled()) << id;
    for (int id : {200, 220, 300, 400, 405, 600, 605})
        EXPECT_TRUE(dialog.FindWindow(id)->IsEnabled()) << id;
    dialog.EnableAddressFields(true);
    for (int id : {205, 210, 215})
        EXPECT_TRUE(dialog.FindWindow(id)->IsEnabled()) << id;
}

// Shows the dialog for real and lets `act` end it.
bool RunShown(BanDialog& dialog, ModalScript::Act act)
{
    ModalScript script;
    script.ThenWhileShown(std::move(act));
    dialog.ShowModal();
    return script.Done() && script.closed == 1 && !dialog.IsShown();
}

TEST_F(BanDialogTest, OkConfirmsAndCancelOrTheTitleBarDoNot)
{
    OpenFrame();
    {
        BanDialog dialog;
        EXPECT_TRUE(RunShown(dialog, [](wxDialog& d) { ClickChild(d, BanDialog::kIdOK); }));
        EXPECT_TRUE(dialog.Confirmed());
    }
    {
        BanDialog dialog;
        EXPECT_TRUE(RunShown(dialog, [](wxDialog& d) { ClickChild(d, BanDialog::kIdCancel); }));
        EXPECT_FALSE(dialog.Confirmed());
    }
    {
        BanDialog dialog;
        EXPECT_TRUE(RunShown(dialog, [](wxDialog& d) { CloseFromTitleBar(d); }));
        EXPECT_FALSE(dialog.Confirmed());
    }
    {
        // Cancel after OK within one showing would clear the flag again.
        BanDialog dialog;
        EXPECT_TRUE(RunShown(dialog, [](wxDialog& d) {
            auto& ban = static_cast<BanDialog&>(d);
            PressChild(d, BanDialog::kIdOK);
            EXPECT_TRUE(ban.Confirmed());
            PressChild(d, BanDialog::kIdCancel);
        }));
        EXPECT_FALSE(dialog.Confirmed());
    }
}

TEST_F(BanDialogTest, TypedTextReachesTheGetters)
{
    OpenFrame();
    BanDialog dialog;
    EXPECT_TRUE(RunShown(dialog, [](wxDialog& d) {
        wxWindow* name = d.FindWindow(BanDialog::kIdName);
        name->SetFocus();
        wxUIActionSimulator sim;
        sim.Text("Bob 2");
        PumpUntil([&] { return static_cast<wxTextCtrl*>(name)->GetValue() == "Bob 2"; });
        ClickChild(d, BanDialog::kIdAllAccounts);
        PumpUntil([&] { return static_cast<BanDialog&>(d).AllAccounts(); });
        ClickChild(d, BanDialog::kIdOK);
    }));
    EXPECT_TRUE(dialog.Confirmed());
    EXPECT_EQ(dialog.Name(), "Bob 2");
    EXPECT_TRUE(dialog.AllAccounts());
    EXPECT_FALSE(dialog.DontKick());
}

} // namespace
