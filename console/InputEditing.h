#pragma once

#include <deque>
#include <string>
#include <vector>

// Up and Down in the input line: the lines submitted in this run, newest last.
// The line being typed when the walk starts comes back after the newest.
class InputHistory {
public:
    static constexpr size_t kMaxLines = 100;

    void Add(const std::string& line);
    // The line to show for Up (older) or Down (newer), given what the field holds
    // now; the field is left alone when there is nothing further that way.
    bool Older(const std::string& current, std::string& shown);
    bool Newer(std::string& shown);

private:
    std::deque<std::string> lines_;
    size_t position_ = 0; // lines_.size(): not walking
    std::string draft_;
};

// Tab in the input line: the word before the cursor completed to a player's
// name, case-insensitively; the shortest match comes first, then by name. Tab
// again, with nothing changed in between, takes the next match. In a private
// message still being addressed (":na") the whole form is completed (":Name:").
class NameCompleter {
public:
    struct Result {
        std::string text;
        size_t cursor = 0; // where the insertion point goes
    };

    // False when nothing matches: the field stays as it is.
    bool Complete(const std::string& text, size_t cursor, const std::vector<std::string>& names, Result& result);

private:
    std::vector<std::string> matches_;
    size_t next_ = 0;
    std::string head_, tail_; // around the completed word
    Result last_;             // what the previous Tab left
    bool privateForm_ = false;
};
