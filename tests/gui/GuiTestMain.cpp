#include "GuiTest.h"

#include "app/ChatApp.h"
#include "app/ChatFrame.h"
#include "console/ChatOutput.h"

#include <wx/image.h>

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxInitAllImageHandlers();
        return true;
    }
};
} // namespace

void PumpPending()
{
    for (int i = 0; i < 3; ++i) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

void FrameTest::SetUp() {}

void FrameTest::OpenFrame()
{
    frame_ = ChatApp::CreateMainFrame();
    alive_ = frame_;
    frame_->Show(true);
    ASSERT_TRUE(PumpUntil([&] { return frame_->IsShownOnScreen(); }));
    PumpPending();
}

void FrameTest::TearDown()
{
    if (!FrameClosed())
        frame_->Destroy();
    PumpPending();
    frame_ = nullptr;
}

bool FrameTest::FrameClosed() const { return !alive_ || wxTheApp->IsScheduledForDestruction(alive_.get()); }

void FrameTest::DrainOutput()
{
    ASSERT_TRUE(PumpUntil([&] { return frame_->Output().QueuedPieces() == 0; }));
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
