#pragma once

#include "console/LineStore.h"
#include "console/Views.h"
#include "zone/ZoneConsole.h"

#include <ctime>
#include <deque>
#include <functional>
#include <string>

class ProgramFolder;

// The one way text reaches the user. Print queues a piece with its colour slot;
// FlushOneLine shows at most one queued piece per tick, and only while the user
// is looking at the end of the text. A server can send far faster than that, so
// the queue is bounded: beyond it the oldest queued lines are skipped (the
// session log still gets them) and a line says how many.
class ChatOutput {
public:
    ChatOutput(OutputView& view, UserListView& userList, const ProgramFolder& folder);

    void Print(const std::string& text, int colourSlot, bool endLine);
    void Print(const std::string& text, int colourSlot) { Print(text, colourSlot, false); }
    void FlushOneLine();
    // The line being printed, or the next one, is shown on the mention tint.
    void MarkLine() { marking_ = true; }

    // "[HH:MM] " in front of every line, in the window and the log alike.
    void SetTimestamps(bool on) { timestamps_ = on; }
    void SetTimeSource(std::function<std::time_t()> now) { now_ = std::move(now); }
    // The window keeps at most this many lines (0: all); the oldest go in blocks.
    void SetScrollback(size_t lines) { scrollback_ = lines; }
    // The lines the window shows; the view draws from here.
    const LineStore& Lines() const { return lines_; }
    // What the window shows, as it shows it: lines separated by "\n".
    std::string Shown() const { return lines_.Text(); }
    size_t ShownLines() const { return lines_.Count(); }

    static constexpr size_t kMaxQueuedPieces = 200000;
    static constexpr size_t kMaxQueuedBytes = size_t(8) << 20;

    static Rgb SlotColour(int colourSlot);
    size_t QueuedPieces() const { return queue_.size(); }

    // The player list, kept sorted by name without regard to case.
    void SetUserListTitle(const std::string& text);
    void AddUser(const std::string& name, int kind);
    void RemoveUser(const std::string& name);
    void SetUserKind(const std::string& name, int kind);

    // Session logging into the Logs folder of the program folder. A name that
    // would lead out of it is refused, as is a file that cannot be opened.
    void ToggleLog(const std::string& name);
    // The window into a log file, then logging into it goes on. While logging
    // into that file already, only what the window showed before is added.
    void SaveBuffer(const std::string& name);
    bool Logging() const { return logging_; }
    const std::string& LogPath() const { return logPath_; }

private:
    struct QueuedLine {
        Rgb colour;
        std::string text;
        bool marked = false;
    };

    void Queue(const std::string& text, Rgb colour, bool endLine);
    void DropOldestLine();
    void Show(const std::string& text, Rgb colour, bool marked);
    void Trim();
    bool StartLog(const std::string& fileName);
    int FirstNotBefore(const std::string& shownName) const;
    int FindUser(const std::string& name) const;
    void AppendToLogFile(const std::string& bytes);
    void WriteLog(const std::string& text, bool endLine);

    OutputView& view_;
    UserListView& userList_;
    const ProgramFolder& folder_;
    std::deque<QueuedLine> queue_;
    size_t queuedBytes_ = 0;
    size_t skippedLines_ = 0;
    bool pendingLineBreak_ = false;
    bool lineOpen_ = false; // a line was started and not ended
    bool marking_ = false;
    bool timestamps_ = false;
    std::function<std::time_t()> now_ = [] { return std::time(nullptr); };
    size_t scrollback_ = 0;
    LineStore lines_;
    bool logging_ = false;
    bool logFailed_ = false; // a write failed; the line saying so is due
    std::string logPath_;
    // Where what the window shows ended when the log opened.
    TextPos shownBeforeLog_;
};
