// The "Spamwarden" toolbar: when it is built, what it holds, how a failed
// build is reported, and what its clicks run.
#include "tests/legacy_ui/legacy_fixture.h"

#include "commands/command_guard.h"
#include "outlook/host_error.h"
#include "platform/image_picture.h"
#include "platform/resource_ids.h"
#include "platform/user_message.h"
#include "sim/outlook/fault_plan.h"
#include "sim/outlook/outlook_ids.h"
#include "tests/addin/resource_bytes.h"
#include "tests/harness/machine_registry_sandbox.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::wstring> kTags = {L"BlockSenders", L"BlockDomains", L"Options", L"Support",
                                         L"Help"};

using ToolbarTest = LegacySurfaceTest;

TEST_F(ToolbarTest, BuiltBelowVersion14WithTheContextMenuSourceOfTheVersion) {
    const struct {
        const wchar_t* version;
        size_t applicationSinks;
        size_t updateSinks;
    } hosts[] = {{L"11.0.0.8312", 0, 1}, {L"12.0.0.6423", 1, 0}, {L"13.0", 0, 0}};
    for (const auto& host : hosts) {
        SCOPED_TRACE(host.applicationSinks * 10 + host.updateSinks);
        auto connect = Started(host.version);
        ASSERT_TRUE(Toolbar());
        EXPECT_TRUE(Toolbar()->visible);
        EXPECT_EQ(ToolbarTags(), kTags);
        EXPECT_EQ(bars().applicationSinks().size(), host.applicationSinks);
        EXPECT_EQ(bars().updateSinks().size(), host.updateSinks);
        connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
        connect = nullptr;
        m_outlook.Restart();
    }

    // From version 14 on the bar is not even looked up.
    m_outlook.calls().Clear();
    auto connect = Started(L"14.0.0.4760");
    for (const std::wstring& call : m_outlook.calls().lines())
        EXPECT_EQ(call.rfind(L"CommandBars.", 0), std::wstring::npos) << call;
    EXPECT_THAT(ToolbarTags(), IsEmpty());
    EXPECT_EQ(bars().applicationSinks().size() + bars().updateSinks().size(), 0u);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

// The BGRA pixels of a picture of a top-down 32-bit DIB section, row by row.
std::vector<BYTE> PicturePixels(IDispatch* picture, LONG side) {
    com_ptr<IPicture> image;
    OLE_HANDLE handle = 0;
    if (!picture || FAILED(com_ptr<IDispatch>(picture).query(IID_IPicture, image)) ||
        FAILED(image->get_Handle(&handle)))
        return {};
    DIBSECTION section = {};
    const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    if (GetObjectW(bitmap, sizeof section, &section) != sizeof section ||
        section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth != side ||
        section.dsBm.bmHeight != side || !section.dsBm.bmBits)
        return {};
    const auto* bits = static_cast<const BYTE*>(section.dsBm.bmBits);
    return std::vector<BYTE>(bits, bits + side * side * 4);
}

// Command bars before the ribbon draw no alpha: each image button has its
// picture composed onto the button face colour and a mask, set after it,
// white exactly where the image is transparent.
TEST_F(ToolbarTest, ImageButtonsHaveAPictureOnTheFaceColourAndAMaskFromTheAlpha) {
    auto connect = Started(L"12.0.0.6423");
    ASSERT_TRUE(Toolbar());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const BYTE faceChannels[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
    const WORD images[] = {IDB_BLOCK_SENDERS_16, IDB_BLOCK_DOMAINS_16};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const sim::CommandBarControl& button = Toolbar()->controls()[i];
        ASSERT_TRUE(button.picture());
        ASSERT_TRUE(button.mask()) << "set after the picture";
        const std::string_view file = ResourceBytes(L"IMAGE", images[i]);
        ASSERT_GT(file.size(), 54u);
        const auto* bytes = reinterpret_cast<const BYTE*>(file.data());
        const BYTE* bottomUp = bytes + *reinterpret_cast<const DWORD*>(bytes + 10);
        const LONG side = 16;
        const std::vector<BYTE> picture = PicturePixels(button.picture().get(), side);
        const std::vector<BYTE> mask = PicturePixels(button.mask().get(), side);
        ASSERT_EQ(picture.size(), static_cast<size_t>(side * side * 4));
        ASSERT_EQ(mask.size(), picture.size());
        size_t transparent = 0;
        for (LONG y = 0; y < side; ++y) {
            for (LONG x = 0; x < side; ++x) {
                const BYTE* source = bottomUp + ((side - 1 - y) * side + x) * 4;
                const size_t at = static_cast<size_t>((y * side + x) * 4);
                const unsigned alpha = source[3];
                const BYTE shade = alpha < 128 ? 0xFF : 0x00;
                transparent += alpha < 128;
                for (int c = 0; c < 3; ++c) {
                    EXPECT_EQ(mask[at + c], shade) << x << "," << y;
                    EXPECT_NEAR(picture[at + c],
                                (source[c] * alpha + faceChannels[c] * (255 - alpha)) / 255.0, 1)
                        << x << "," << y;
                }
            }
        }
        EXPECT_GT(transparent, 0u) << "the corners at least";
        EXPECT_LT(transparent, static_cast<size_t>(side * side));
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ToolbarTest, FiveIconButtonsWithTagsTooltipsAndFaces) {
    auto connect = Started(L"11.0.0.8312");
    ASSERT_TRUE(Toolbar());
    EXPECT_FALSE(Toolbar()->temporary());
    const std::vector<std::wstring> tooltips = {L"Block Senders", L"Block Domains", L"Options",
                                                L"Support", L"Help"};
    const long faces[] = {0, 0, 917, 1675, 984};
    const sim::CommandBarControls& controls = Toolbar()->controls();
    ASSERT_EQ(controls.size(), 5u);
    for (size_t i = 0; i < controls.size(); ++i) {
        const sim::CommandBarControl& button = controls[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(button.isButton());
        EXPECT_TRUE(button.temporary());
        EXPECT_EQ(button.tag, kTags[i]);
        EXPECT_EQ(button.tooltipText, tooltips[i]);
        EXPECT_EQ(button.caption, L"");
        EXPECT_EQ(button.style, 1);
        EXPECT_EQ(button.faceId, faces[i]);
        const long side = i < 2 ? 16 : 0;
        EXPECT_EQ(button.pictureWidth(), side);
        EXPECT_EQ(button.pictureHeight(), side);
        EXPECT_TRUE(button.visible && button.enabled);
        EXPECT_EQ(button.beginGroup, i == 4) << "only Help begins a group";
        EXPECT_EQ(const_cast<sim::CommandBarControl&>(button).clickSinks().size(), 1u);
    }
    EXPECT_NE(controls[0].picture().get(), controls[1].picture().get());
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ToolbarTest, AnExistingBarIsReusedAndShownAgain) {
    sim::CommandBar& earlier = bars().Add(L"Spamwarden");
    earlier.controls().Add(sim::control_type::Button).tag = L"Kept";
    earlier.visible = false;
    const size_t barCount = bars().size();

    auto connect = Started(L"12.0.0.6423");
    EXPECT_EQ(bars().size(), barCount);
    EXPECT_EQ(Toolbar(), &earlier);
    EXPECT_TRUE(earlier.visible);
    EXPECT_THAT(ToolbarTags(), ElementsAre(L"Kept", L"BlockSenders", L"BlockDomains", L"Options",
                                           L"Support", L"Help"));
}

TEST_F(ToolbarTest, AFailedButtonEndsTheBuildWithItsStep) {
    m_outlook.faults().Add(sim::Fault::Fail(L"Add", E_FAIL).On(L"CommandBarControls").OnCall(2));
    auto connect = Started(L"11.0.0.8312");
    EXPECT_THAT(m_messages.texts(),
                ElementsAre(L"Failed to add the toolbar: " + HostErrorText(E_FAIL) + L": 241"));
    EXPECT_THAT(ToolbarTags(), ElementsAre(L"BlockSenders"));
    EXPECT_FALSE(Toolbar()->visible) << "a broken build does not show the bar";
    EXPECT_EQ(bars().updateSinks().size(), 1u) << "the add-in goes on without the toolbar";
    connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    connect = nullptr;
    m_outlook.Restart();

    // A control without the button interface fails at the same step.
    m_messages.clear();
    m_outlook.faults().Clear();
    m_outlook.faults().Add(sim::Fault::FailQuery(sim::kIidCommandBarButton).OnCall(1));
    connect = Started(L"11.0.0.8312");
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"Failed to add the toolbar: " +
                                                HostErrorText(E_NOINTERFACE) + L": 241"));
}

// Enumeration callback: stores the visible "Options" window in *found.
// A named WINAPI function: on 32-bit Windows a lambda is not a WNDENUMPROC.
BOOL CALLBACK FindOptionsSheet(HWND window, LPARAM found) {
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (!IsWindowVisible(window) || std::wstring(title) != L"Options")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Closes the Options sheet once it shows on `thread`; true when it did.
bool CancelOptionsSheet(DWORD thread) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HWND sheet = nullptr;
        EnumThreadWindows(thread, &FindOptionsSheet, reinterpret_cast<LPARAM>(&sheet));
        if (sheet) {
            PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            return true;
        }
        Sleep(50);
    }
    return false;
}

TEST_F(ToolbarTest, ClicksRunTheirCommands) {
    auto connect = Started(L"12.0.0.6423");
    auto& box = m_outlook.mailbox();
    sim::Item& ann = Mail(L"ann@example.org");
    sim::Item& bob = Mail(L"bob@spam.example");

    box.Select({&ann});
    EXPECT_EQ(m_outlook.ClickControl(Button(L"BlockSenders")).sinksReached, 1u);
    box.Select({&bob});
    const sim::ClickOutcome click = m_outlook.ClickControl(Button(L"BlockDomains"));
    EXPECT_FALSE(click.cancelDefault);
    EXPECT_TRUE(box.JunkEmail().contains(ann) && box.JunkEmail().contains(bob));
    EXPECT_EQ(BlockedList(), L"ann@example.org;@spam.example;");

    m_outlook.ClickControl(Button(L"Support"));
    {
        // The machine key is redirected only while Help runs: MAPI reads it too.
        MachineRegistrySandbox machine;
        MachineRegistrySandbox::SetText(L"SOFTWARE\\Tallpine\\Spamwarden", L"Path", L"C:\\Help");
        m_outlook.ClickControl(Button(L"Help"));
    }
    ASSERT_EQ(s_shellTargets.size(), 2u);
    EXPECT_EQ(s_shellTargets[0].rfind(L"mailto:", 0), 0u);
    EXPECT_EQ(s_shellTargets[1], L"C:\\Help\\Spamwarden.chm");

    bool closed = false;
    std::thread driver(
        [&closed, thread = GetCurrentThreadId()] { closed = CancelOptionsSheet(thread); });
    m_outlook.ClickControl(Button(L"Options"));
    driver.join();
    EXPECT_TRUE(closed) << "the Options sheet was shown";
    EXPECT_FALSE(g_host.commandRunning);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

std::function<void()> g_whileMessageShows;
std::vector<std::wstring> g_shown;

void ShowAndRunNested(const std::wstring& text, const std::wstring&, MessageIcon) {
    g_shown.push_back(text);
    if (auto nested = std::exchange(g_whileMessageShows, nullptr))
        nested();
}

TEST_F(ToolbarTest, ClicksWhileABlockingCommandRunsAreIgnored) {
    auto connect = Started(L"12.0.0.6423");
    auto& box = m_outlook.mailbox();
    box.ShowFolder(box.Calendar()); // Block Senders only tells the user to select mails
    g_shown.clear();
    const MessagePresenter previous = SetMessagePresenter(&ShowAndRunNested);

    // While its message box is up, the host delivers more clicks.
    g_whileMessageShows = [&] {
        EXPECT_TRUE(g_host.commandRunning);
        EXPECT_EQ(m_outlook.ClickControl(Button(L"BlockSenders")).sinksReached, 1u);
        EXPECT_EQ(m_outlook.ClickControl(Button(L"BlockDomains")).sinksReached, 1u);
    };
    m_outlook.ClickControl(Button(L"BlockSenders"));
    EXPECT_EQ(g_shown.size(), 1u) << "the nested clicks ran nothing";
    EXPECT_FALSE(g_host.commandRunning);

    // Once the command has ended the next click runs again.
    m_outlook.ClickControl(Button(L"BlockDomains"));
    SetMessagePresenter(previous);
    EXPECT_EQ(g_shown, std::vector<std::wstring>(2, L"Please select the emails first."));
}

} // namespace
} // namespace sw::test
