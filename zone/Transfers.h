#pragma once

#include <string>

class Connection;
class Packet;
class TileGrid;

// Arena maps: the server names the map and its checksum (0x29); a missing or
// different local copy is asked for (0x0C) and arrives compressed (0x2A).
void HandleMapInformation(Connection& connection, const Packet& packet, TileGrid& grid);
void HandleMapFile(Connection& connection, const Packet& packet, TileGrid& grid);
// The local path of a map the server names, or "" when the name is refused.
std::string MapPath(const Connection& connection, const std::string& name);

// Whole files both ways: the server pushes one (0x10) or asks for one (0x19),
// which goes back as 0x16.
void HandleIncomingFile(Connection& connection, const Packet& packet);
void HandleFileRequest(Connection& connection, const Packet& packet);
void SendFile(Connection& connection, const std::string& localName, const std::string& sendAs);
