// quillon-zone-sim: a zone server on 127.0.0.1 for trying the client out. Any
// name and password log in; the arena holds a few players and a small map.
//
//   quillon-zone-sim [port] [--loss P] [--duplicate P] [--reorder P] [--delay HUNDREDTHS] [--seed N]
//
//   quillon-zone-sim --demo [port] [--pace HUNDREDTHS]
//
// Faults apply to both directions. Every event is printed as it happens. With
// --demo the arena comes alive: scripted players chat, come and go, and answer.

#include "DemoZone.h"
#include "ZoneSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

int Usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [port] [--demo] [--pace HUNDREDTHS]\n"
                 "          [--loss P] [--duplicate P] [--reorder P] [--delay HUNDREDTHS] [--seed N]\n"
                 "  port defaults to 5000; probabilities are 0 to 1\n",
                 program);
    return 2;
}

bool ParseNumber(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    ZoneSimOptions options;
    options.port = 5000;
    options.dropSilentAfter = 6000;
    LinkFaults faults;
    bool demo = false;
    uint32_t pace = 200; // between two events of the demo
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        double value = 0;
        if (arg == "--demo") {
            demo = true;
        } else if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], value))
                return Usage(argv[0]);
            ++i;
            if (arg == "--loss")
                faults.loss = value;
            else if (arg == "--duplicate")
                faults.duplicate = value;
            else if (arg == "--reorder")
                faults.reorder = value;
            else if (arg == "--delay")
                faults.maxDelay = uint32_t(value);
            else if (arg == "--pace")
                pace = uint32_t(value);
            else if (arg == "--seed")
                options.seed = uint32_t(value);
            else
                return Usage(argv[0]);
        } else if (ParseNumber(arg.c_str(), value) && value <= 65535) {
            options.port = uint16_t(value);
        } else {
            return Usage(argv[0]);
        }
    }
    options.toServer = faults;
    options.toClient = faults;
    options.log = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };

    SteadyClock clock;
    ZoneSim sim(clock, options);
    if (!sim.Listening())
        return 1;
    ZoneServer server(sim, demo ? LivelyArena() : DemoArena());
    std::optional<DemoDirector> director;
    if (demo)
        director.emplace(server, clock, pace);
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    while (!stopRequested) {
        sim.Wait(10);
        sim.Poll();
        if (director)
            director->Step();
        // Already printed; a long run must not grow.
        sim.ClearReceived();
        server.ClearHeard();
    }
    if (SimSession* peer = sim.Peer(); peer != nullptr && peer->Connected()) {
        peer->Disconnect();
        sim.Poll();
    }
    return 0;
}
