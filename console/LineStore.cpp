#include "console/LineStore.h"

#include "zone/Names.h"

#include <algorithm>

void LineStore::Append(std::string_view text, Rgb colour, bool marked)
{
    if (Empty())
        StartLine();
    for (size_t from = 0;;) {
        const size_t lineBreak = text.find('\n', from);
        AddToLastLine(text.substr(from, lineBreak == std::string_view::npos ? lineBreak : lineBreak - from), colour);
        if (lineBreak == std::string_view::npos)
            break;
        StartLine();
        from = lineBreak + 1;
    }
    if (marked)
        blocks_.back().runStarts.back() |= kMarkedBit;
}

void LineStore::StartLine()
{
    if (blocks_.empty() || blocks_.back().Lines() >= kBlockLines || blocks_.back().text.size() >= kBlockBytes) {
        if (!blocks_.empty()) { // a full block keeps what it holds and no more
            Block& full = blocks_.back();
            full.text.shrink_to_fit();
            full.starts.shrink_to_fit();
            full.runStarts.shrink_to_fit();
            full.runs.shrink_to_fit();
        }
        blocks_.emplace_back();
        blocks_.back().first = end_;
    }
    Block& block = blocks_.back();
    block.starts.push_back(uint32_t(block.text.size()));
    block.runStarts.push_back(uint32_t(block.runs.size()));
    block.text.push_back('\n');
    ++end_;
}

void LineStore::AddToLastLine(std::string_view text, Rgb colour)
{
    Block& block = blocks_.back();
    const size_t length = block.text.size() - 1 - block.starts.back();
    if (text.empty() || length >= kMaxLineBytes)
        return;
    text = text.substr(0, kMaxLineBytes - length);
    const bool lineHasRuns = block.runs.size() > (block.runStarts.back() & ~kMarkedBit);
    if (!lineHasRuns || block.runs.back().colour != colour)
        block.runs.push_back(ColourRun{uint32_t(length), colour});
    block.text.pop_back();
    block.text.append(text);
    block.text.push_back('\n');
}

void LineStore::DropFirst(size_t lines)
{
    first_ = std::min<uint64_t>(first_ + lines, end_);
    while (!blocks_.empty() && blocks_.front().first + blocks_.front().Lines() <= first_)
        blocks_.pop_front();
}

void LineStore::Clear() { DropFirst(Count()); }

size_t LineStore::BlockOf(uint64_t line) const
{
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), line,
                                        [](uint64_t number, const Block& block) { return number < block.first; });
    return size_t(after - blocks_.begin()) - 1;
}

LineStore::Line LineStore::At(uint64_t number) const
{
    const Block& block = blocks_[BlockOf(number)];
    const size_t i = size_t(number - block.first);
    const size_t start = block.starts[i];
    const uint32_t runs = block.runStarts[i] & ~kMarkedBit;
    const size_t runsEnd = i + 1 < block.Lines() ? (block.runStarts[i + 1] & ~kMarkedBit) : block.runs.size();
    Line line;
    line.text = std::string_view(block.text).substr(start, block.LineEnd(i) - start);
    line.runs = block.runs.data() + runs;
    line.runCount = runsEnd - runs;
    line.marked = (block.runStarts[i] & kMarkedBit) != 0;
    return line;
}

TextPos LineStore::EndPos() const
{
    if (Empty())
        return TextPos{first_, 0};
    return TextPos{end_ - 1, At(end_ - 1).text.size()};
}

size_t LineStore::Bytes() const
{
    size_t bytes = 0;
    for (const Block& block : blocks_)
        bytes += block.text.size();
    if (!blocks_.empty())
        bytes -= blocks_.front().starts[size_t(first_ - blocks_.front().first)];
    return bytes;
}

void LineStore::Locate(TextPos pos, size_t& block, size_t& offset) const
{
    pos = std::max(pos, TextPos{first_, 0});
    pos = std::min(pos, EndPos());
    block = BlockOf(pos.line);
    const Block& b = blocks_[block];
    const size_t i = size_t(pos.line - b.first);
    offset = b.starts[i] + std::min(pos.column, b.LineEnd(i) - b.starts[i]);
}

TextPos LineStore::PosAt(size_t block, size_t offset) const
{
    const Block& b = blocks_[block];
    const size_t i =
        size_t(std::upper_bound(b.starts.begin(), b.starts.end(), uint32_t(offset)) - b.starts.begin()) - 1;
    return TextPos{b.first + i, offset - b.starts[i]};
}

std::string LineStore::Text(TextPos from, TextPos to) const
{
    std::string text;
    if (Empty() || !(from < to))
        return text;
    size_t fromBlock = 0, fromOffset = 0, toBlock = 0, toOffset = 0;
    Locate(from, fromBlock, fromOffset);
    Locate(to, toBlock, toOffset);
    // The blocks hold the breaks between lines already, the one after a block's last line too.
    for (size_t b = fromBlock; b <= toBlock; ++b) {
        const std::string& blockText = blocks_[b].text;
        const size_t start = b == fromBlock ? fromOffset : 0;
        const size_t end = b == toBlock ? toOffset : blockText.size();
        text.append(blockText, start, end - start);
    }
    return text;
}

bool LineStore::Find(const std::string& query, TextPos from, bool forward, TextPos& found) const
{
    if (Empty() || query.empty() || query.find('\n') != std::string::npos)
        return false;
    size_t block = 0, offset = 0;
    Locate(from, block, offset);
    // The front block may still hold lines that were let go.
    const size_t liveFrom = blocks_.front().starts[size_t(first_ - blocks_.front().first)];
    for (size_t b = block; b < blocks_.size(); forward ? ++b : --b) {
        const std::string& text = blocks_[b].text;
        const size_t start = b == block ? offset : forward ? 0 : text.size();
        const size_t at = FindNoCase(text, query, start, forward);
        if (at != std::string::npos && (b > 0 || at >= liveFrom)) {
            found = PosAt(b, at);
            return true;
        }
        if (b == 0 && !forward)
            break;
    }
    return false;
}
