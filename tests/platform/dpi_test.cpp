// The DPI scope and the DPI-aware metrics, with user32's DPI functions as
// they are, missing (before Windows 10), refusing the context, taking only
// per-monitor v1, and accepting it: the scope puts back the thread's context,
// is harmless without them and records only what is not the system's way.
#include "platform/dpi.h"

#include "platform/diagnostics.h"
#include "platform/product_key.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/harness/scratch_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace sw {
namespace {

// WithoutV2 refuses per-monitor v2 as systems before Windows 10 1703 and
// Wine do, and takes per-monitor (v1).
enum class User32 { AsItIs, Missing, Refusing, WithoutV2, Accepting };

User32 g_user32 = User32::AsItIs;
DPI_AWARENESS_CONTEXT g_fakeContext = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
int g_fakeCalls = 0;
test::ImportPatch* g_patch = nullptr;

DPI_AWARENESS_CONTEXT WINAPI FakeSetContext(DPI_AWARENESS_CONTEXT context) {
    ++g_fakeCalls;
    if (g_user32 == User32::Refusing ||
        (g_user32 == User32::WithoutV2 && context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
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
    // Look failures reach the log at level 2.
    test::RegistrySandbox sandbox;
    test::RegistrySandbox::SetDword(kProductSettingsKey, kLogLevelValue, 2);
    const std::wstring folder = test::ScratchPath(L"dpi-log");
    const std::wstring previousFolder = SetLogFolder(folder);
    const std::wstring log = LogFilePath();
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
        DPI_AWARENESS_CONTEXT taken;
        bool recorded; // in the log
    };
    const DPI_AWARENESS_CONTEXT v2 = DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2;
    for (const Case& c :
         {Case{User32::AsItIs, false, 0, nullptr, false},
          Case{User32::Missing, false, 0, nullptr, true},
          Case{User32::Refusing, false, 2, nullptr, true},
          Case{User32::WithoutV2, true, 3, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, false},
          Case{User32::Accepting, true, 2, v2, false}}) {
        SCOPED_TRACE(static_cast<int>(c.user32));
        g_user32 = c.user32;
        g_fakeCalls = 0;
        g_fakeContext = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
        const DPI_AWARENESS_CONTEXT before = getContext ? getContext() : nullptr;
        DeleteFileW(log.c_str());
        bool active = false;
        {
            ThreadDpiAwareness scope;
            active = scope.active();
            if (c.user32 == User32::AsItIs) {
                // Windows 10 1703 and later take v2; Wine 8 refuses it and
                // takes v1.
                if (scope.active() && getContext && same) {
                    EXPECT_TRUE(same(getContext(), v2) ||
                                same(getContext(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE));
                }
            } else {
                EXPECT_EQ(scope.active(), c.active);
                if (c.active) {
                    EXPECT_EQ(g_fakeContext, c.taken);
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
        const bool recorded =
            test::ReadBytes(log).find("SetThreadDpiAwarenessContext") != std::string::npos;
        // As it is, a system takes v2 or v1 (Wine 8 refuses v2, as Windows 10
        // 1607 does) and records nothing.
        EXPECT_EQ(recorded, c.user32 == User32::AsItIs ? !active : c.recorded);
        if (c.active) {
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
    DeleteFileW(log.c_str());
    RemoveDirectoryW(folder.c_str());
    SetLogFolder(previousFolder);
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
