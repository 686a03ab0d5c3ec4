#pragma once

class Zone;

// On every arena entry: join the user's chat channels (`User`/`Chats`) and run
// the automatic commands (`User`/`Auto`, separated by "/" or "\"). Both settings
// are read afresh each time, so a change applies at the next entry.
void RunZoneEntryAutomation(Zone& zone);
