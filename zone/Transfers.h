#pragma once

#include <string>

class Zone;
class Packet;

// Arena maps: the server names the map and its checksum (0x29); a missing or
// different local copy is asked for (0x0C) and arrives compressed (0x2A).
void HandleMapInformation(Zone& zone, const Packet& packet);
void HandleMapFile(Zone& zone, const Packet& packet);
// Takes in a downloaded map once its thread is done with it; once a tick.
void FinishMapDownload(Zone& zone);

// Whole files both ways: the server pushes one (0x10) or asks for one (0x19),
// which goes back as 0x16.
void HandleIncomingFile(Zone& zone, const Packet& packet);
void HandleFileRequest(Zone& zone, const Packet& packet);
