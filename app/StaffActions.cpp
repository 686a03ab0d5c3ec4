#include "app/StaffActions.h"

// Filled in with the staff commands.
void StaffGenericBan(ChatFrame&) {}
void StaffServerLog(ChatFrame&) {}
void StaffServerLag(ChatFrame&) {}
void StaffKick(ChatFrame&, const std::string&) {}
void StaffBan(ChatFrame&, const std::string&) {}
void StaffSilence(ChatFrame&, const std::string&) {}
void StaffInfo(ChatFrame&, const std::string&) {}
