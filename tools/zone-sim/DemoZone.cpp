#include "DemoZone.h"

namespace {

SimPlayer DemoPlayer(uint16_t id, const std::string& name, uint16_t frequency, uint8_t ship)
{
    SimPlayer player;
    player.id = id;
    player.name = name;
    player.squad = "Demo";
    player.frequency = frequency;
    player.ship = ship;
    return player;
}

// A 64 x 64 square of wall tiles with a gap in each side.
std::string DemoMap()
{
    std::string bytes;
    auto tile = [&bytes](uint32_t x, uint32_t y, uint32_t number) {
        const uint32_t record = x | (y << 12) | (number << 24);
        for (int i = 0; i < 4; ++i)
            bytes += char((record >> (8 * i)) & 0xFF);
    };
    for (uint32_t i = 480; i < 544; ++i) {
        if (i >= 508 && i < 516)
            continue;
        tile(i, 480, 1);
        tile(i, 543, 1);
        tile(480, i, 1);
        tile(543, i, 1);
    }
    return bytes;
}

} // namespace

ArenaScript DemoArena()
{
    ArenaScript script;
    script.ownId = 1;
    script.positionInterval = 25;
    script.reliableChat = 1;
    script.players = {DemoPlayer(2, "Alice", 0, 0), DemoPlayer(3, "Bob", 1, 8), DemoPlayer(4, "Carol", 1, 3)};
    script.map = SimMap{"demo.lvl", DemoMap(), {}, {}};
    script.arenas = {{"0", 0}, {"1", 2}, {"duel", 2}, {"league", 7}};
    script.afterEntry = {ZonePackets::Chat(0, 0, "Welcome to the Quillon zone simulator."),
                         ZonePackets::Chat(2, 2, "hi there")};
    return script;
}
