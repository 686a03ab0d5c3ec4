// The yardstick for the program's idle cost: a bare wxWidgets program with a
// shown window of the main window's size, the same 10 ms repeating timer, and
// in each tick the zero-time-out poll of a UDP socket that the client makes.
// Nothing else. Runs for the seconds given (default: until closed).
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace {

class BareFrame : public wxFrame {
public:
    explicit BareFrame(long seconds)
        : wxFrame(nullptr, wxID_ANY, "Bare", wxPoint(50, 50), wxSize(528, 390)), tick_(this), end_(this)
    {
        socket_ = socket(AF_INET, SOCK_DGRAM, 0);
        Bind(wxEVT_TIMER, &BareFrame::OnTick, this, tick_.GetId());
        Bind(
            wxEVT_TIMER, [this](wxTimerEvent&) { Close(true); }, end_.GetId());
        tick_.Start(10, wxTIMER_CONTINUOUS);
        if (seconds > 0)
            end_.StartOnce(int(seconds * 1000));
    }
    ~BareFrame() override { close(socket_); }

private:
    void OnTick(wxTimerEvent&)
    {
        pollfd p{socket_, POLLIN, 0};
        polls_ += poll(&p, 1, 0) >= 0 ? 1 : 0;
    }

    wxTimer tick_;
    wxTimer end_;
    int socket_ = -1;
    long polls_ = 0;
};

class BareApp : public wxApp {
public:
    bool OnInit() override
    {
        const long seconds = argc > 1 ? std::strtol(argv[1].c_str(), nullptr, 10) : 0;
        (new BareFrame(seconds))->Show(true);
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP(BareApp);
