#pragma once

#include <string>

class Connection;

// Once, right after the Connection is made: the program folder and ignore lists,
// the player table and the rest of the zone state, the Maps and Logs folders, and
// every zone packet handler and hook this client answers with. `programFolder`
// ends in the path separator. Always true.
bool StartZone(Connection& connection, const std::string& programFolder);
