#include "console/InputEditing.h"

#include "zone/Names.h"

#include <algorithm>

void InputHistory::Add(const std::string& line)
{
    if (!line.empty() && (lines_.empty() || lines_.back() != line))
        lines_.push_back(line);
    while (lines_.size() > kMaxLines)
        lines_.pop_front();
    position_ = lines_.size();
    draft_.clear();
}

bool InputHistory::Older(const std::string& current, std::string& shown)
{
    if (position_ == 0 || lines_.empty())
        return false;
    if (position_ >= lines_.size()) {
        position_ = lines_.size();
        draft_ = current;
    }
    shown = lines_[--position_];
    return true;
}

bool InputHistory::Newer(std::string& shown)
{
    if (position_ >= lines_.size())
        return false;
    ++position_;
    shown = position_ == lines_.size() ? draft_ : lines_[position_];
    return true;
}

namespace {

bool StartsWithNoCase(const std::string& name, const std::string& prefix)
{
    return name.size() >= prefix.size() && SameNameNoCase(name.substr(0, prefix.size()), prefix);
}

} // namespace

bool NameCompleter::Complete(const std::string& text, size_t cursor, const std::vector<std::string>& names,
                             Result& result)
{
    cursor = std::min(cursor, text.size());
    const bool again = !matches_.empty() && text == last_.text && cursor == last_.cursor;
    if (!again) {
        // ":na" with no second colon yet: the name is all after the first one.
        privateForm_ = cursor > 0 && text[0] == ':' && text.find(':', 1) == std::string::npos;
        size_t wordStart = 1;
        if (!privateForm_) {
            const size_t space = cursor == 0 ? std::string::npos : text.rfind(' ', cursor - 1);
            wordStart = space == std::string::npos ? 0 : space + 1;
        }
        const std::string word = text.substr(wordStart, cursor - wordStart);
        if (word.empty() && !privateForm_)
            return false;
        matches_.clear();
        for (const std::string& name : names)
            if (StartsWithNoCase(name, word))
                matches_.push_back(name);
        std::sort(matches_.begin(), matches_.end(), [](const std::string& a, const std::string& b) {
            return a.size() != b.size() ? a.size() < b.size() : CompareNamesNoCase(a, b) < 0;
        });
        matches_.erase(std::unique(matches_.begin(), matches_.end()), matches_.end());
        if (matches_.empty())
            return false;
        next_ = 0;
        head_ = text.substr(0, wordStart);
        tail_ = text.substr(cursor);
    }
    const std::string& name = matches_[next_];
    next_ = (next_ + 1) % matches_.size();
    const std::string completed = privateForm_ ? name + ":" : name;
    result.text = head_ + completed + tail_;
    result.cursor = head_.size() + completed.size();
    last_ = result;
    return true;
}
