#pragma once

#include "console/Views.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// A place in the shown text: a line, counted from the first line ever shown (so
// it stays put when the oldest lines go), and a byte within it.
struct TextPos {
    uint64_t line = 0;
    size_t column = 0;
    bool operator==(const TextPos& o) const { return line == o.line && column == o.column; }
    bool operator!=(const TextPos& o) const { return !(*this == o); }
    bool operator<(const TextPos& o) const { return line != o.line ? line < o.line : column < o.column; }
    bool operator<=(const TextPos& o) const { return !(o < *this); }
};

// Where a colour starts within a line.
struct ColourRun {
    uint32_t at = 0;
    Rgb colour;
};

// The lines the window shows, kept once and compactly: the text of every line,
// where its colours change and whether it carries the mention band. The lines
// are packed into blocks of a few hundred, each one string with a break after
// every line, so the store costs little more than its text, and the oldest lines
// go a block at a time. Find, ?logbuffer and the view read the lines from here.
class LineStore {
public:
    struct Line {
        std::string_view text;
        const ColourRun* runs = nullptr; // at least one, the first at 0
        size_t runCount = 0;
        bool marked = false;
    };

    // A line longer than this keeps its first bytes only: one line from a server
    // cannot take the memory of the whole window.
    static constexpr size_t kMaxLineBytes = size_t(16) << 20;

    // Adds a piece at the end. Each "\n" in it starts a new line; the rest goes on
    // the last line. `marked` puts the line the piece ends on under the band.
    void Append(std::string_view text, Rgb colour, bool marked);
    // Lets the oldest `lines` lines go.
    void DropFirst(size_t lines);
    void Clear();

    size_t Count() const { return size_t(end_ - first_); }
    bool Empty() const { return end_ == first_; }
    // The number of the first line held, and one past the last.
    uint64_t First() const { return first_; }
    uint64_t End() const { return end_; }
    // A line by its number, First() <= number < End().
    Line At(uint64_t number) const;
    // The end of the last line.
    TextPos EndPos() const;
    // Bytes of text held, one break counted per line.
    size_t Bytes() const;

    // The text from `from` to `to`, lines separated by "\n", clamped to what is held.
    std::string Text(TextPos from, TextPos to) const;
    std::string Text() const { return Text(TextPos{first_, 0}, EndPos()); }

    // The next place of `query` (without regard to case) at or after `from`, or the
    // one before it when searching backwards; false when there is none that way.
    bool Find(const std::string& query, TextPos from, bool forward, TextPos& found) const;

private:
    struct Block {
        uint64_t first = 0;              // number of its first line
        std::string text;                // every line followed by "\n"
        std::vector<uint32_t> starts;    // where each line starts in text
        std::vector<uint32_t> runStarts; // its first run in runs; the top bit marks the band
        std::vector<ColourRun> runs;     // `at` counted from the start of text
        size_t Lines() const { return starts.size(); }
        size_t LineEnd(size_t i) const { return (i + 1 < starts.size() ? starts[i + 1] : text.size()) - 1; }
    };
    static constexpr uint32_t kMarkedBit = 0x80000000u;
    static constexpr size_t kBlockLines = 256;
    static constexpr size_t kBlockBytes = size_t(64) << 10;

    void StartLine();
    void AddToLastLine(std::string_view text, Rgb colour);
    size_t BlockOf(uint64_t line) const;
    // A place as a block and an offset into its text, and back.
    void Locate(TextPos pos, size_t& block, size_t& offset) const;
    TextPos PosAt(size_t block, size_t offset) const;

    std::deque<Block> blocks_;
    uint64_t first_ = 0;
    uint64_t end_ = 0;
};
