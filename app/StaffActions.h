#pragma once

#include "app/DialogSlot.h"

#include <string>

class BanDialog;
class wxWindow;
struct Console;

// The dialogs of the staff commands: what the user is asked before the console
// sends a command (console/StaffCommands).
struct StaffContext {
    wxWindow& parent;
    Console& console;
    DialogSlot<BanDialog>& banDialog;
};

void StaffGenericBan(const StaffContext& staff);
void StaffBan(const StaffContext& staff, const std::string& name);
void StaffKick(const StaffContext& staff, const std::string& name);
