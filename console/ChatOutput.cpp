#include "console/ChatOutput.h"

#include "zone/Names.h"
#include "zone/ProgramFolder.h"
#include "zone/TextFile.h"

namespace {

using namespace Colours;

constexpr int kUserColumnWidth = 178;
constexpr const char* kDefaultLogName = "session.log";

std::string LogFolderPrefix() { return std::string("Logs") + kPathSeparator; }

// A plain file name: nothing that leads out of the Logs folder.
bool ValidLogName(const std::string& name)
{
    return name.find_first_of("/\\:") == std::string::npos && name.find("..") == std::string::npos;
}

// The window's text as the log files hold it: lines end in CR LF, the last one too.
std::string AsLogText(const std::string& shown)
{
    std::string converted;
    converted.reserve(shown.size() + shown.size() / 32 + 2);
    for (char c : shown) {
        if (c == '\n')
            converted += "\r\n";
        else
            converted.push_back(c);
    }
    if (!converted.empty())
        converted += "\r\n";
    return converted;
}

struct KindLook {
    Rgb colour;
    int image;
};

KindLook LookOfKind(int kind)
{
    switch (kind) {
    case kOwnFreq:
        return {kYellow, 0};
    case kOwnFreqSpec:
        return {kYellow, 1};
    case kOtherFreqSpec:
        return {kLightBlue, 1};
    default:
        return {kLightBlue, 0};
    }
}

// The plain icon, or (1) the spectator's: a green S on black.
Picture UserIcon(int image)
{
    Picture picture;
    picture.width = 17;
    picture.height = 15;
    picture.pixels.assign(size_t(17 * 15), kBlack);
    if (image != 1)
        return picture;
    auto green = [&](int x, int y) { picture.pixels[size_t(y * 17 + x)] = kGreen; };
    for (int x = 8; x <= 11; ++x)
        green(x, 4);
    green(7, 5);
    green(7, 6);
    for (int x = 8; x <= 10; ++x)
        green(x, 7);
    green(11, 8);
    green(11, 9);
    for (int x = 7; x <= 10; ++x)
        green(x, 10);
    return picture;
}

} // namespace

ChatOutput::ChatOutput(OutputView& view, UserListView& userList, const ProgramFolder& folder)
    : view_(view), userList_(userList), folder_(folder)
{
    userList_.Prepare("No Info", kUserColumnWidth, {UserIcon(0), UserIcon(1)});
}

Rgb ChatOutput::SlotColour(int colourSlot)
{
    switch (colourSlot) {
    case 0:
        return kGreen;
    case 1:
        return kLightBlue;
    case 2:
        return kLightBlue;
    case 3:
        return kYellow;
    case 4:
        return kLightBlue;
    case 5:
        return kGreen;
    case 6:
        return kRed;
    case 7:
        return kGreen;
    case 8:
        return kRed;
    case 9:
        return kOrange;
    default:
        return kWhite;
    }
}

void ChatOutput::Print(const std::string& text, int colourSlot, bool endLine)
{
    if (!lineOpen_ && timestamps_) {
        char stamp[16] = "[--:--] ";
        const std::time_t now = now_();
        if (const std::tm* local = std::localtime(&now))
            std::strftime(stamp, sizeof stamp, "[%H:%M] ", local);
        Queue(stamp, kWhite, false);
    }
    Queue(text, SlotColour(colourSlot), endLine);
    pendingLineBreak_ = endLine;
    lineOpen_ = !endLine;
    if (endLine)
        marking_ = false;
    while (queue_.size() > 1 && (queue_.size() > kMaxQueuedPieces || queuedBytes_ > kMaxQueuedBytes))
        DropOldestLine();
    if (logFailed_ && endLine) {
        logFailed_ = false;
        Print("Could not write the log file " + logPath_.substr(LogFolderPrefix().size()) + "; logging is off.",
              kSlotWhite, true);
    }
}

// A piece of the line being printed; the first starts with the break that ends the line before.
void ChatOutput::Queue(const std::string& text, Rgb colour, bool endLine)
{
    QueuedLine line{colour, std::string(), marking_};
    line.text.reserve(text.size() + 1);
    if (pendingLineBreak_)
        line.text += '\n';
    pendingLineBreak_ = false;
    const size_t start = line.text.size();
    line.text += text;
    MakeVisible(line.text, start);
    if (logging_)
        WriteLog(line.text.substr(start), endLine);
    queuedBytes_ += line.text.size();
    queue_.push_back(std::move(line));
}

// The front piece and the rest of its line, up to the piece that starts the next.
void ChatOutput::DropOldestLine()
{
    do {
        queuedBytes_ -= queue_.front().text.size();
        queue_.pop_front();
    } while (queue_.size() > 1 && queue_.front().text.compare(0, 1, "\n") != 0);
    ++skippedLines_;
}

void ChatOutput::FlushOneLine()
{
    // Nothing to show: the view is not asked where it stands, which costs a
    // round of layout in the toolkit on every idle tick.
    if ((queue_.empty() && skippedLines_ == 0) || !view_.IsAtEnd())
        return;
    if (skippedLines_ > 0) {
        Show("\n(" + std::to_string(skippedLines_) + " lines skipped: they came faster than the window can show them)",
             kWhite, false);
        skippedLines_ = 0;
        return;
    }
    const QueuedLine& front = queue_.front();
    Show(front.text, front.colour, front.marked);
    queuedBytes_ -= front.text.size();
    queue_.pop_front();
}

void ChatOutput::Show(const std::string& text, Rgb colour, bool marked)
{
    lines_.Append(text, colour, marked);
    view_.AppendStyled(text, colour, marked);
    if (scrollback_ != 0 && ShownLines() > scrollback_)
        Trim();
}

// The oldest lines go a twentieth of the limit at a time, so that the cost of
// letting them go is spread thin over the lines shown.
void ChatOutput::Trim()
{
    const size_t lines = std::max<size_t>(1, scrollback_ / 20) + ShownLines() - scrollback_;
    const TextPos keptFrom{lines_.First() + lines, 0};
    const size_t characters = lines_.Text(TextPos{lines_.First(), 0}, keptFrom).size();
    lines_.DropFirst(lines);
    view_.RemoveFirst(characters);
}

// --- player list -------------------------------------------------------------

void ChatOutput::SetUserListTitle(const std::string& text) { userList_.SetHeader(text); }

// The list is kept in order, so a name's place is found by halving: a full list
// is judged again entry by entry when our own player moves.
int ChatOutput::FirstNotBefore(const std::string& shownName) const
{
    int low = 0;
    int high = userList_.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareNamesNoCase(userList_.TextAt(middle), shownName) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void ChatOutput::AddUser(const std::string& name, int kind)
{
    const std::string shown = Visible(name);
    const int index = FirstNotBefore(shown);
    userList_.Insert(index, shown);
    const KindLook look = LookOfKind(kind);
    userList_.SetLook(index, look.colour, look.image);
}

int ChatOutput::FindUser(const std::string& name) const
{
    const std::string shown = Visible(name);
    const int index = FirstNotBefore(shown);
    if (index < userList_.Count() && CompareNamesNoCase(userList_.TextAt(index), shown) == 0)
        return index;
    return -1;
}

void ChatOutput::RemoveUser(const std::string& name)
{
    const int index = FindUser(name);
    if (index >= 0)
        userList_.Remove(index);
}

void ChatOutput::SetUserKind(const std::string& name, int kind)
{
    const int index = FindUser(name);
    if (index < 0)
        return;
    const KindLook look = LookOfKind(kind);
    userList_.SetLook(index, look.colour, look.image);
}

// --- session logging ---------------------------------------------------------

void ChatOutput::ToggleLog(const std::string& name)
{
    if (logging_) {
        logging_ = false;
        Print("Closed Logfile: ", kSlotGreen);
        Print(logPath_.substr(LogFolderPrefix().size()), kSlotGreen, true);
        return;
    }
    if (StartLog(name.empty() ? kDefaultLogName : name)) {
        Print("Opened Logfile: ", kSlotGreen);
        Print(logPath_.substr(LogFolderPrefix().size()), kSlotGreen, true);
    }
}

// False, and said why, when the name or the file will not do.
bool ChatOutput::StartLog(const std::string& fileName)
{
    if (!ValidLogName(fileName)) {
        Print("Invalid Logfile Name (no folders): " + fileName, kSlotWhite, true);
        return false;
    }
    if (!WriteTextFile(folder_.Path(), LogFolderPrefix() + fileName, std::string(), true)) {
        Print("Unable to open Logfile: " + fileName, kSlotWhite, true);
        return false;
    }
    logPath_ = LogFolderPrefix() + fileName;
    logging_ = true;
    shownBeforeLog_ = lines_.EndPos();
    return true;
}

void ChatOutput::SaveBuffer(const std::string& name)
{
    const std::string current = logging_ ? logPath_.substr(LogFolderPrefix().size()) : std::string();
    const std::string fileName = !name.empty() ? name : logging_ ? current : kDefaultLogName;
    if (!ValidLogName(fileName)) {
        Print("Invalid Logfile Name (no folders): " + fileName, kSlotWhite, true);
        return;
    }
    Print("Saving Buffer To: ", kSlotGreen);
    Print(fileName, kSlotGreen, true);
    if (logging_ && fileName == current) {
        // What the window showed since the log opened is in it already.
        const TextPos from{lines_.First(), 0};
        WriteTextFile(folder_.Path(), logPath_, AsLogText(lines_.Text(from, shownBeforeLog_)), true);
        return;
    }
    if (!WriteTextFile(folder_.Path(), LogFolderPrefix() + fileName, AsLogText(lines_.Text()), true)) {
        Print("Unable to open Logfile: " + fileName, kSlotWhite, true);
        return;
    }
    if (logging_)
        ToggleLog(std::string());
    ToggleLog(fileName);
}

void ChatOutput::WriteLog(const std::string& text, bool endLine)
{
    if (!logging_)
        return;
    if (WriteTextFile(folder_.Path(), logPath_, endLine ? text + "\r\n" : text, true))
        return;
    // Logging is off until the user opens a log again; the line that says so
    // follows the line being printed.
    logging_ = false;
    logFailed_ = true;
}
