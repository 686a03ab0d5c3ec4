#pragma once

#include "ZoneServer.h"

// The arena the executable offers: three players, a small map and a greeting.
ArenaScript DemoArena();
