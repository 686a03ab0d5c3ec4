// The local "?" commands, one line after another, on a client in an arena:
// switches, channels, the away message, logging, the ignore lists, arena
// changes and the help. A line the parser does not take must leave no trace.
//
// Input: lines separated by line feeds, each handed to the parser as it stands.
// Log names with ".." are defused first: the user may log anywhere below Logs
// and beyond, but a fuzzing run must not write all over the machine.

#include "FuzzSession.h"

#include "console/LocalCommands.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

constexpr size_t kMaxLines = 64;

bool IsLogCommand(const std::string& line)
{
    std::string start = line.substr(0, 4);
    std::transform(start.begin(), start.end(), start.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return start == "?log";
}

void Defuse(std::string& line)
{
    if (!IsLogCommand(line))
        return;
    for (size_t at = line.find(".."); at != std::string::npos; at = line.find("..", at))
        line.replace(at, 2, "__");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzSession session;
    session.Handshake(0x1234ABCD);
    session.EnterArena();
    session.FlushOutput();

    for (size_t n = 0; n < kMaxLines && !in.Empty(); ++n) {
        std::string line = in.Until('\n');
        Defuse(line);
        const size_t queuedBefore = session.Output().QueuedPieces();
        const bool taken = RunLocalCommand(session.Client().Commands(), line);
        if (!taken)
            FUZZ_CHECK(session.Output().QueuedPieces() == queuedBefore);
        // A few ticks between lines, as between two typed lines at the least.
        session.Ticks(3);
    }
    session.FlushOutput();
    session.CheckBounds();
    session.ShowIfAsked();
    return 0;
}
