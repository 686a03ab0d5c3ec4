#pragma once

class Zone;
class Packet;

// The server's packets that keep the player table and the user list current.
void HandleOwnId(Zone& zone, const Packet& packet);           // 0x01
void HandlePlayerEntering(Zone& zone, const Packet& packet);  // 0x03
void HandlePlayerLeaving(Zone& zone, const Packet& packet);   // 0x04
void HandleDeath(Zone& zone, const Packet& packet);           // 0x06
void HandleFrequencyChange(Zone& zone, const Packet& packet); // 0x0D
void HandleShipChange(Zone& zone, const Packet& packet);      // 0x1D
