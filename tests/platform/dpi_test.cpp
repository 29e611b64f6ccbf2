// The DPI scope and the DPI-aware metrics, with user32's DPI functions as
// they are, missing (before Windows 10), refusing the context, and accepting
// it: the scope puts back the thread's context and is harmless without them.
#include "platform/dpi.h"
#include "tests/harness/import_patch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace sw {
namespace {

enum class User32 { AsItIs, Missing, Refusing, Accepting };

User32 g_user32 = User32::AsItIs;
DPI_AWARENESS_CONTEXT g_fakeContext = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
int g_fakeCalls = 0;
test::ImportPatch* g_patch = nullptr;

DPI_AWARENESS_CONTEXT WINAPI FakeSetContext(DPI_AWARENESS_CONTEXT context) {
    ++g_fakeCalls;
    if (g_user32 == User32::Refusing) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return std::exchange(g_fakeContext, context);
}

FARPROC WINAPI PatchedGetProcAddress(HMODULE module, LPCSTR name) {
    const bool named = reinterpret_cast<UINT_PTR>(name) > 0xFFFF;
    if (named && g_user32 == User32::Missing &&
        (std::strstr(name, "Dpi") || std::strstr(name, "ForDpi")))
        return nullptr;
    if (named && g_user32 != User32::AsItIs &&
        std::strcmp(name, "SetThreadDpiAwarenessContext") == 0)
        return g_user32 == User32::Missing
                   ? nullptr
                   : reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetContext));
    return g_patch->original<decltype(&GetProcAddress)>()(module, name);
}

TEST(ThreadDpiAwareness, RestoresTheContextAndIsHarmlessWithoutTheFunctions) {
    test::ImportPatch patch("kernel32.dll", "GetProcAddress",
                            reinterpret_cast<void*>(&PatchedGetProcAddress));
    ASSERT_TRUE(patch.active());
    g_patch = &patch;
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using SameContexts = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto getContext = reinterpret_cast<GetContext>(reinterpret_cast<void*>(
        patch.original<decltype(&GetProcAddress)>()(user32, "GetThreadDpiAwarenessContext")));
    const auto same = reinterpret_cast<SameContexts>(reinterpret_cast<void*>(
        patch.original<decltype(&GetProcAddress)>()(user32, "AreDpiAwarenessContextsEqual")));

    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_TRUE(window);
    HDC screen = GetDC(nullptr);
    const UINT systemDpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);

    struct Case {
        User32 user32;
        bool active;
        int setCalls; // of the fake
    };
    for (const Case& c : {Case{User32::AsItIs, false, 0}, Case{User32::Missing, false, 0},
                          Case{User32::Refusing, false, 1}, Case{User32::Accepting, true, 2}}) {
        SCOPED_TRACE(static_cast<int>(c.user32));
        g_user32 = c.user32;
        g_fakeCalls = 0;
        g_fakeContext = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
        const DPI_AWARENESS_CONTEXT before = getContext ? getContext() : nullptr;
        {
            ThreadDpiAwareness scope;
            if (c.user32 == User32::AsItIs) {
                // Windows 10 1703 and later take it; Wine 8 refuses v2.
                if (scope.active() && getContext && same) {
                    EXPECT_TRUE(same(getContext(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2));
                }
            } else {
                EXPECT_EQ(scope.active(), c.active);
                if (c.active) {
                    EXPECT_EQ(g_fakeContext, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
                }
            }
            // The metrics answer whatever the functions do.
            EXPECT_GE(DpiForWindow(window), kDefaultDpi / 2);
            EXPECT_GT(SystemMetricForWindow(window, SM_CXVSCROLL), 0);
            LOGFONTW font = {};
            EXPECT_TRUE(MessageFontForDpi(2 * systemDpi, font));
            EXPECT_NE(font.lfHeight, 0);
        }
        EXPECT_EQ(g_fakeCalls, c.setCalls);
        if (c.user32 == User32::Accepting) {
            EXPECT_EQ(g_fakeContext, DPI_AWARENESS_CONTEXT_SYSTEM_AWARE) << "put back";
        }
        if (getContext && same) {
            EXPECT_TRUE(same(getContext(), before)) << "the thread's own context is back";
        }
        if (c.user32 == User32::Missing) {
            EXPECT_EQ(DpiForWindow(window), systemDpi);
            EXPECT_EQ(SystemMetricForWindow(window, SM_CXVSCROLL), GetSystemMetrics(SM_CXVSCROLL));
        }
    }
    g_user32 = User32::AsItIs;
    g_patch = nullptr;
    DestroyWindow(window);
}

// Twice the DPI, about twice the font: the font a window uses at its scale.
TEST(ThreadDpiAwareness, MessageFontGrowsWithTheDpi) {
    LOGFONTW normal = {};
    LOGFONTW twice = {};
    ASSERT_TRUE(MessageFontForDpi(96, normal));
    ASSERT_TRUE(MessageFontForDpi(192, twice));
    EXPECT_NEAR(std::abs(twice.lfHeight), 2 * std::abs(normal.lfHeight), 1);
}

} // namespace
} // namespace sw
