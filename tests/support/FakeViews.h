#pragma once

#include "console/Views.h"

#include <ostream>
#include <string>
#include <vector>

// Records what ChatOutput shows, as a wx control would hold it.
class FakeOutputView : public OutputView {
public:
    struct Run {
        std::string text;
        Rgb colour;
        bool marked = false;
    };
    // One line as the window shows it; a line whose pieces differ in colour is kMixed.
    struct Line {
        std::string text;
        Rgb colour;
        bool operator==(const Line& o) const { return text == o.text && colour == o.colour; }
    };
    static constexpr Rgb kMixed{1, 2, 3};
    void AppendStyled(const std::string& text, Rgb colour, bool marked) override
    {
        runs.push_back({text, colour, marked});
        shown += text;
    }
    bool IsAtEnd() const override { return atEnd; }
    void RemoveFirst(size_t characters) override { shown.erase(0, characters); }
    const std::string& ShownText() const { return shown; }

    // The lines appended since the previous call; a caller flushes the output queue first.
    std::vector<Line> TakeLines()
    {
        std::vector<Line> lines;
        for (; taken_ < runs.size(); ++taken_) {
            const Run& run = runs[taken_];
            const bool breaks = !run.text.empty() && run.text[0] == '\n';
            if (breaks || lines.empty())
                lines.push_back({"", run.colour});
            else if (lines.back().colour != run.colour)
                lines.back().colour = kMixed;
            lines.back().text += run.text.substr(breaks ? 1 : 0);
        }
        return lines;
    }

    std::vector<Run> runs;
    std::string shown;
    bool atEnd = true;

private:
    size_t taken_ = 0;
};

inline void PrintTo(const FakeOutputView::Line& line, std::ostream* os)
{
    *os << '"' << line.text << "\" rgb(" << int(line.colour.r) << "," << int(line.colour.g) << ","
        << int(line.colour.b) << ")";
}

class FakeUserListView : public UserListView {
public:
    struct Entry {
        std::string text;
        Rgb colour;
        int image = 0;
    };
    void Prepare(const std::string& h, int width, const std::vector<Picture>& pictures) override
    {
        header = h;
        columnWidth = width;
        icons = pictures;
    }
    void SetHeader(const std::string& text) override { header = text; }
    int Count() const override { return int(entries.size()); }
    std::string TextAt(int index) const override { return entries[size_t(index)].text; }
    void Insert(int index, const std::string& text) override { entries.insert(entries.begin() + index, {text, {}, 0}); }
    void Remove(int index) override { entries.erase(entries.begin() + index); }
    void SetLook(int index, Rgb colour, int image) override
    {
        ++looksSet;
        entries[size_t(index)].colour = colour;
        entries[size_t(index)].image = image;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Entry& e : entries)
            names.push_back(e.text);
        return names;
    }

    std::string header;
    int columnWidth = 0;
    std::vector<Picture> icons;
    std::vector<Entry> entries;
    int looksSet = 0;
};
