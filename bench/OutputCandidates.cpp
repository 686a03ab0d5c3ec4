// Three ways to show the chat output, measured the same way in a window of the
// main window's size: the rich text control the program used before (GtkTextView
// behind wxTextCtrl), the Scintilla editor that ships with wxWidgets
// (wxStyledTextCtrl) and the program's own view (ChatView over a LineStore).
//
//   output_candidates rich|stc|own LINES WORD_KIB
//
// Fills LINES chat lines in ten colours, every seventh under the mention band,
// and prints as "key value" lines: resident memory before and after, the cost of
// one more piece, a font two points larger until it shows with the final scroll
// range, and the longest single event-loop step while a line of one WORD_KIB
// word arrives, is shown and is paged through. Needs an X display.
#include "ProcStatus.h"
#include "app/ChatView.h"
#include "app/WxText.h"
#include "console/LineStore.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/stc/stc.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Runs the event loop dry and gives the longest single step of it.
double Settle()
{
    double longest = 0;
    for (int round = 0; round < 2; ++round) {
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->Pending()) {
            const Clock::time_point start = Clock::now();
            wxTheApp->Dispatch();
            longest = std::max(longest, Seconds(start));
        }
        const Clock::time_point start = Clock::now();
        wxTheApp->ProcessIdle();
        longest = std::max(longest, Seconds(start));
    }
    return longest;
}

std::string ChatLine(long i)
{
    return "      Pilot" + std::to_string(i % 97) + "> line " + std::to_string(i) +
           " of the conversation, about as long as chat usually is";
}

const Rgb kSlots[] = {{0, 255, 0}, {160, 160, 255}, {160, 160, 255}, {255, 255, 0}, {160, 160, 255},
                      {0, 255, 0}, {255, 0, 0},     {0, 255, 0},     {255, 0, 0},   {255, 128, 0}};

class Candidate {
public:
    virtual ~Candidate() = default;
    virtual wxWindow& Window() = 0;
    // A piece at the end; "\n" first starts a new line.
    virtual void Append(const std::string& text, Rgb colour, bool marked) = 0;
    // What the font change is over when it stops moving.
    virtual int LayoutMeasure() = 0;
    virtual void SetChatFont(const wxFont& font) = 0;
    virtual void PageUp() = 0;
};

// The output as the program had it: styled pieces written into the rich text control.
class RichText : public Candidate {
public:
    explicit RichText(wxWindow* parent)
        : control_(new wxTextCtrl(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                  wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxTE_NOHIDESEL))
    {
        control_->SetBackgroundColour(*wxBLACK);
        control_->SetDefaultStyle(wxTextAttr());
    }
    wxWindow& Window() override { return *control_; }
    void Append(const std::string& text, Rgb colour, bool marked) override
    {
        const long start = control_->GetLastPosition();
        control_->SetSelection(start, start);
        control_->WriteText(BytesToWx(text));
        const long end = control_->GetLastPosition();
        const wxColour foreground(colour.r, colour.g, colour.b);
        control_->SetStyle(start, end, wxTextAttr(foreground));
        if (marked || afterMarked_) {
            const Rgb tint = Colours::kMentionTint;
            const wxColour background = marked ? wxColour(tint.r, tint.g, tint.b) : *wxBLACK;
            control_->SetStyle(start + (text[0] == '\n' ? 1 : 0), end, wxTextAttr(foreground, background));
        }
        afterMarked_ = marked;
    }
    int LayoutMeasure() override { return control_->GetScrollRange(wxVERTICAL); }
    void SetChatFont(const wxFont& font) override
    {
        const wxTextAttr style(wxNullColour, wxNullColour, font);
        control_->SetStyle(0, control_->GetLastPosition(), style);
        control_->SetDefaultStyle(style);
    }
    void PageUp() override { control_->ScrollPages(-1); }

private:
    wxTextCtrl* control_;
    bool afterMarked_ = false;
};

// Scintilla: a style per colour, a background marker for the band, lines wrapped.
class Styled : public Candidate {
public:
    explicit Styled(wxWindow* parent) : control_(new wxStyledTextCtrl(parent, wxID_ANY))
    {
        control_->SetWrapMode(wxSTC_WRAP_WORD);
        control_->SetMarginWidth(1, 0);
        control_->SetUseHorizontalScrollBar(false);
        control_->SetCaretLineVisible(false);
        control_->SetUndoCollection(false);
        const Rgb tint = Colours::kMentionTint;
        control_->MarkerDefine(0, wxSTC_MARK_BACKGROUND, *wxWHITE, wxColour(tint.r, tint.g, tint.b));
        control_->StyleSetBackground(wxSTC_STYLE_DEFAULT, *wxBLACK);
        control_->StyleClearAll();
        control_->SetReadOnly(true);
    }
    wxWindow& Window() override { return *control_; }
    void Append(const std::string& text, Rgb colour, bool marked) override
    {
        const int style = StyleOf(colour);
        control_->SetReadOnly(false);
        const int start = control_->GetLength();
        control_->AppendText(BytesToWx(text));
        control_->StartStyling(start);
        control_->SetStyling(control_->GetLength() - start, style);
        if (marked)
            control_->MarkerAdd(control_->GetLineCount() - 1, 0);
        control_->SetReadOnly(true);
        control_->ScrollToEnd();
    }
    int LayoutMeasure() override { return control_->VisibleFromDocLine(control_->GetLineCount() - 1); }
    void SetChatFont(const wxFont& font) override
    {
        for (int style = 0; style <= int(styles_.size()); ++style)
            control_->StyleSetFont(style, const_cast<wxFont&>(font));
        control_->StyleSetFont(wxSTC_STYLE_DEFAULT, const_cast<wxFont&>(font));
    }
    void PageUp() override { control_->PageUp(); }

private:
    int StyleOf(Rgb colour)
    {
        const int key = colour.r << 16 | colour.g << 8 | colour.b;
        const auto found = styles_.find(key);
        if (found != styles_.end())
            return found->second;
        const int style = int(styles_.size()) + 1;
        control_->StyleSetForeground(style, wxColour(colour.r, colour.g, colour.b));
        control_->StyleSetBackground(style, *wxBLACK);
        styles_[key] = style;
        return style;
    }

    wxStyledTextCtrl* control_;
    std::map<int, int> styles_;
};

// The program's own: the lines in the store, the view drawing what is on screen.
class Own : public Candidate {
public:
    explicit Own(wxWindow* parent) : view_(new ChatView(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize))
    {
        view_->SetLines(lines_);
    }
    wxWindow& Window() override { return *view_; }
    void Append(const std::string& text, Rgb colour, bool marked) override
    {
        lines_.Append(text, colour, marked);
        view_->AppendStyled(text, colour, marked);
    }
    int LayoutMeasure() override
    {
        view_->Update();
        return view_->GetScrollRange(wxVERTICAL);
    }
    void SetChatFont(const wxFont& font) override
    {
        view_->SetFont(font);
        view_->Update();
    }
    void PageUp() override
    {
        view_->ScrollRows(-(view_->GetClientSize().y / view_->RowHeight() - 1));
        view_->Update();
    }

private:
    LineStore lines_;
    ChatView* view_;
};

// Until the measure has held for half a second, with the event loop running as for the user.
double SecondsUntilSettled(Candidate& candidate, Clock::time_point start)
{
    Clock::time_point lastChange = Clock::now();
    int measure = candidate.LayoutMeasure();
    wxEventLoop loop;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (const int now = candidate.LayoutMeasure(); now != measure) {
            measure = now;
            lastChange = Clock::now();
        } else if (Clock::now() - lastChange >= std::chrono::milliseconds(500)) {
            loop.Exit();
        }
    });
    watch.Start(10);
    loop.Run();
    return std::chrono::duration<double>(lastChange - start).count();
}

void Measure(Candidate& candidate, long lines, long wordKiB)
{
    Settle();
    std::printf("rss_idle_kib %ld\n", StatusKiB("VmRSS"));
    Clock::time_point start = Clock::now();
    for (long i = 0; i < lines; ++i) {
        candidate.Append((i ? "\n" : "") + ChatLine(i), kSlots[i % 10], i % 7 == 0);
        if (i % 10000 == 0)
            Settle();
    }
    Settle();
    SecondsUntilSettled(candidate, start);
    std::printf("fill_seconds %.1f\nrss_filled_kib %ld\n", Seconds(start), StatusKiB("VmRSS"));

    // One more piece, as the frame timer shows one a tick; then with the events it leaves.
    const int pieces = 2000;
    start = Clock::now();
    for (int i = 0; i < pieces; ++i)
        candidate.Append("\n" + ChatLine(lines + i), kSlots[i % 10], false);
    std::printf("append_us %.2f\n", Seconds(start) * 1e6 / pieces);
    Settle();
    start = Clock::now();
    for (int i = 0; i < pieces; ++i) {
        candidate.Append("\n" + ChatLine(lines + pieces + i), kSlots[i % 10], false);
        Settle();
    }
    std::printf("append_settle_us %.2f\n", Seconds(start) * 1e6 / pieces);

    wxFont font = candidate.Window().GetFont();
    font.SetPointSize(font.GetPointSize() + 2);
    start = Clock::now();
    candidate.SetChatFont(font);
    std::printf("font_change_seconds %.3f\n", SecondsUntilSettled(candidate, start));

    if (wordKiB > 0) {
        double longest = 0;
        start = Clock::now();
        candidate.Append("\n" + std::string(size_t(wordKiB) * 1024, 'w'), kSlots[3], false);
        longest = std::max(longest, Seconds(start));
        longest = std::max(longest, Settle());
        candidate.Append("\nafter the word", kSlots[0], false);
        longest = std::max(longest, Settle());
        for (int page = 0; page < 100; ++page) {
            start = Clock::now();
            candidate.PageUp();
            longest = std::max(longest, Seconds(start));
            longest = std::max(longest, Settle());
        }
        std::printf("long_word_kib %ld\nlong_word_longest_step_ms %.2f\n", wordKiB, longest * 1e3);
    }
    std::printf("rss_peak_kib %ld\n", StatusKiB("VmHWM"));
}

class CandidatesApp : public wxApp {
public:
    bool OnInit() override
    {
        if (argc < 3)
            return false;
        const std::string kind = argv[1].ToStdString();
        const long lines = std::atol(argv[2].c_str());
        const long wordKiB = argc > 3 ? std::atol(argv[3].c_str()) : 0;
        auto* frame = new wxFrame(nullptr, wxID_ANY, "output candidate", wxDefaultPosition, wxSize(560, 350));
        std::unique_ptr<Candidate> candidate;
        if (kind == "rich")
            candidate = std::make_unique<RichText>(frame);
        else if (kind == "stc")
            candidate = std::make_unique<Styled>(frame);
        else
            candidate = std::make_unique<Own>(frame);
        candidate->Window().SetFont(wxFont(wxFontInfo(8).Family(wxFONTFAMILY_MODERN).Bold()));
        frame->Show(true);
        CallAfter([frame, lines, wordKiB, c = candidate.release()] {
            Measure(*c, lines, wordKiB);
            std::fflush(stdout);
            frame->Destroy(); // the candidate goes with the process: the view draws from it until then
        });
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP(CandidatesApp);
