// The progress window of a long command, as a real window: its text, the
// window it disables meanwhile, and Cancel; its layout at each scale.
#include "platform/command_progress.h"

#include "platform/dpi.h"
#include "platform/registry_key.h"
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>

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
        EXPECT_EQ(ItemText(window, kProgressTextId), L"1 of 60 messages done");
        EXPECT_EQ(ItemText(window, kProgressCancelId), L"Cancel");
        if (ownerActive) {
            EXPECT_FALSE(IsWindowEnabled(owner)) << "no clicks on the explorer meanwhile";
        }
        Sleep(120); // the count is redrawn a few times a second
        EXPECT_TRUE(progress->Step(2, 60));
        EXPECT_EQ(ItemText(window, kProgressTextId), L"2 of 60 messages done");

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

// The DPI a child run of this executable is started at (see below); unset
// in the ordinary run, which checks the window at the prefix's own DPI.
constexpr wchar_t kExpectedDpiVariable[] = L"SW_TEST_EXPECTED_DPI";

// Whether `control`'s text, in the font the control draws it with, fits
// inside it (a button's text also leaves room for its edge).
::testing::AssertionResult TextFits(HWND control, int edge) {
    wchar_t text[128] = {};
    const int length = GetWindowTextW(control, text, 128);
    RECT client = {};
    GetClientRect(control, &client);
    const HDC context = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(context, text, length, &size);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(control, context);
    if (size.cx + 2 * edge <= client.right && metrics.tmHeight + edge <= client.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "text " << size.cx << " x " << metrics.tmHeight << " in a control of " << client.right
           << " x " << client.bottom;
}

// The window's controls: inside its client area, text that fits, the bar
// named by the text just before it, and the keyboard on Cancel.
void CheckLayout(HWND window, UINT dpi) {
    SCOPED_TRACE(dpi);
    RECT inside = {};
    GetClientRect(window, &inside);
    const HWND text = GetDlgItem(window, kProgressTextId);
    const HWND bar = GetDlgItem(window, kProgressBarId);
    const HWND cancel = GetDlgItem(window, kProgressCancelId);
    ASSERT_TRUE(text && bar && cancel);
    for (HWND control : {text, bar, cancel}) {
        RECT at = {};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= inside.right &&
                    at.bottom <= inside.bottom)
            << GetDlgCtrlID(control) << " lies outside the window";
    }
    EXPECT_TRUE(TextFits(text, 0));
    EXPECT_TRUE(TextFits(cancel, ScaleForDpi(4, dpi)));
    // A font of the scale: 8 points or more, which is 8/72 of an inch.
    TEXTMETRICW metrics = {};
    const HDC context = GetDC(cancel);
    const HGDIOBJ previous =
        SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(cancel, WM_GETFONT, 0, 0)));
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(cancel, context);
    EXPECT_GE(metrics.tmHeight - metrics.tmInternalLeading, MulDiv(8, dpi, 72) - 1);

    wchar_t barClass[64] = {};
    GetClassNameW(bar, barClass, 64);
    EXPECT_STREQ(barClass, PROGRESS_CLASSW);
    EXPECT_EQ(GetWindow(bar, GW_HWNDPREV), text) << "the text names the bar";
    EXPECT_EQ(GetFocus(), cancel);
}

// Run once at the prefix's DPI and, through LaidOutAtEachScale, in a child
// process at each scale.
TEST(CommandProgressWindow, FitsItsTextAndFocusesCancelAtTheSystemDpi) {
    wchar_t expected[16] = {};
    const UINT system = DpiForWindow(nullptr);
    if (GetEnvironmentVariableW(kExpectedDpiVariable, expected, 16)) {
        ASSERT_EQ(system, static_cast<UINT>(_wtoi(expected))) << "the prefix's LogPixels";
    }

    std::unique_ptr<CommandProgress> progress = ShowCommandProgress(L"Block Domains", 60, 0);
    ASSERT_TRUE(progress);
    EXPECT_TRUE(progress->Step(30, 60));
    const HWND window = FindWindowW(L"SpamwardenProgress", L"Block Domains");
    ASSERT_TRUE(window);
    EXPECT_EQ(DpiForWindow(window), system);
    CheckLayout(window, system);
    const HWND bar = GetDlgItem(window, kProgressBarId);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 60);

    // Moved to a monitor of twice the scale, it lays itself out again there.
    RECT suggested = {};
    GetWindowRect(window, &suggested);
    const UINT twice = system * 2;
    SendMessageW(window, kWmDpiChanged, MAKEWPARAM(twice, twice),
                 reinterpret_cast<LPARAM>(&suggested));
    CheckLayout(window, twice);
    RECT now = {};
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);

    // Focus taken elsewhere and given back lands on Cancel again.
    SetFocus(window);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kProgressCancelId));
}

// HKCU\Control Panel\Desktop\LogPixels for the lifetime of the object; the
// value it had (or its absence) comes back after.
class LogPixelsSetting {
public:
    explicit LogPixelsSetting(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, m_key.put(), nullptr);
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegQueryValueExW(m_key.get(), L"LogPixels", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS)
            m_previous = value;
        RegSetValueExW(m_key.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    ~LogPixelsSetting() {
        if (m_previous)
            RegSetValueExW(m_key.get(), L"LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&*m_previous), sizeof(DWORD));
        else
            RegDeleteValueW(m_key.get(), L"LogPixels");
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

private:
    unique_hkey m_key;
    std::optional<DWORD> m_previous;
};

// The system DPI is read once when a process starts: each scale runs the
// test above in a process of its own, started with the prefix set to it.
TEST(CommandProgressWindow, LaidOutAtEachScale) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleFileNameW(nullptr, self, MAX_PATH));
    if (GetEnvironmentVariableW(kExpectedDpiVariable, nullptr, 0))
        GTEST_SKIP() << "inside a child run";
    for (DWORD dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        LogPixelsSetting setting(dpi);
        SetEnvironmentVariableW(kExpectedDpiVariable, std::to_wstring(dpi).c_str());
        std::wstring command = L"\"" + std::wstring(self) +
                               L"\" --gtest_brief=1 "
                               L"--gtest_filter=CommandProgressWindow."
                               L"FitsItsTextAndFocusesCancelAtTheSystemDpi";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &process);
        SetEnvironmentVariableW(kExpectedDpiVariable, nullptr);
        ASSERT_TRUE(started) << GetLastError();
        unique_handle child(process.hProcess);
        unique_handle thread(process.hThread);
        ASSERT_EQ(WaitForSingleObject(child.get(), 120000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(child.get(), &exitCode);
        EXPECT_EQ(exitCode, 0u) << "the run at this scale failed; its output is above";
    }
}

} // namespace
} // namespace sw
