// The progress window of a long command, as a real window: its text, the
// window it disables meanwhile, and Cancel.
#include "platform/command_progress.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

std::wstring ItemText(HWND window, int id) {
    wchar_t text[128] = {};
    GetDlgItemTextW(window, id, text, 128);
    return text;
}

TEST(CommandProgressWindow, AQuickRunShowsNoWindow) {
    std::unique_ptr<CommandProgress> progress = ShowCommandProgress(L"Quick run", 60, 60000);
    ASSERT_TRUE(progress);
    for (size_t done = 1; done <= 60; ++done)
        EXPECT_TRUE(progress->Step(done, 60));
    EXPECT_FALSE(FindWindowW(L"SpamwardenProgress", L"Quick run"));
}

TEST(CommandProgressWindow, ShowsTheCountDisablesItsOwnerAndCancelAsksToStop) {
    const HWND owner = CreateWindowExW(0, L"STATIC", L"Explorer", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    SetActiveWindow(owner);
    const bool ownerActive = GetActiveWindow() == owner;
    {
        std::unique_ptr<CommandProgress> progress = ShowCommandProgress(L"Block Senders", 60, 0);
        ASSERT_TRUE(progress);
        EXPECT_TRUE(progress->Step(1, 60));
        const HWND window = FindWindowW(L"SpamwardenProgress", L"Block Senders");
        ASSERT_TRUE(window);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(ItemText(window, 100), L"1 of 60 messages done");
        EXPECT_EQ(ItemText(window, kProgressCancelId), L"Cancel");
        if (ownerActive) {
            EXPECT_FALSE(IsWindowEnabled(owner)) << "no clicks on the explorer meanwhile";
        }
        Sleep(120); // the count is redrawn a few times a second
        EXPECT_TRUE(progress->Step(2, 60));
        EXPECT_EQ(ItemText(window, 100), L"2 of 60 messages done");

        // A click on Cancel reaches the window through the messages that the
        // next step handles.
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(kProgressCancelId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kProgressCancelId)));
        EXPECT_FALSE(progress->Step(3, 60));
        EXPECT_FALSE(progress->Step(4, 60)) << "stays cancelled";
        progress.reset();
        EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

} // namespace
} // namespace sw
