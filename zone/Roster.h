#pragma once

class Connection;
class Packet;

// The server's packets that keep the player table and the user list current.
void HandleOwnId(Connection& connection, const Packet& packet);           // 0x01
void HandlePlayerEntering(Connection& connection, const Packet& packet);  // 0x03
void HandlePlayerLeaving(Connection& connection, const Packet& packet);   // 0x04
void HandleDeath(Connection& connection, const Packet& packet);           // 0x06
void HandleFrequencyChange(Connection& connection, const Packet& packet); // 0x0D
void HandleShipChange(Connection& connection, const Packet& packet);      // 0x1D
