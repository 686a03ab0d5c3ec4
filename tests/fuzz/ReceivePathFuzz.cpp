// The whole receive path: datagrams from a hostile server reach a started zone
// client through its socket and are decrypted, dispatched and handled by every
// handler, while the frame timer's ticks run the periodic jobs in between.
//
// QUILLON_FUZZ_SHOW=1 prints what each input made the client show.
//
// Input: one byte sets the scene. Its low two bits say how far the session has
// got before the datagrams come (0: key request sent; 1: cipher running, with
// the key in the next four bytes; 2 and 3: in an arena with players, likewise);
// bit 2 switches the enter, leave and death notices on, bit 3 mutes public chat
// and channel 1, bit 4 sets an away message. Then records, each:
//   control byte: bit 0 set sends the datagram as it stands (otherwise it is
//     encrypted as the server would, once the client's cipher runs);
//     bits 1-7 say how many ticks of the frame timer follow it (t below 120:
//     t ticks; above: (t - 119) x 800)
//   u16 length (low 10 bits; above 520 the socket refuses it, as UDP does)
//   the datagram

#include "FuzzSession.h"

#include <algorithm>

namespace {

// Enough for the watchdog (31 statistics periods) and a reconnect, not so many
// that one input takes long.
constexpr uint32_t kTickBudget = 10000;
constexpr uint32_t kLengthMask = 0x3FF;

// Mostly a few ticks; the top values jump ahead by seconds.
uint32_t TicksFor(uint8_t control)
{
    const uint32_t t = control >> 1;
    return t < 120 ? t : (t - 119) * 800;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzSession session;
    const uint8_t scene = in.Byte();
    const int stage = std::min(scene & 3, 2);
    if (stage >= 1)
        session.Handshake(in.U32());
    if (stage == 2)
        session.EnterArena();
    session.SetFilters((scene & 4) != 0, (scene & 8) != 0, (scene & 16) != 0);

    uint32_t ticksLeft = kTickBudget;
    while (!in.Empty()) {
        const uint8_t control = in.Byte();
        const uint32_t length = in.U16() & kLengthMask;
        session.Deliver(Packet::FromString(in.Bytes(length)), (control & 1) != 0);
        const uint32_t ticks = std::min(TicksFor(control), ticksLeft);
        ticksLeft -= ticks;
        session.Ticks(ticks);
    }
    session.FlushOutput();
    session.CheckBounds();
    session.ShowIfAsked();
    return 0;
}
