// The DPI of the add-in's own windows. Office calls add-ins on a thread that
// is system-DPI aware, so a window created there is stretched as a bitmap on
// a monitor of another scale. The add-in's windows instead run per-monitor
// (v2) aware where Windows offers it: `ThreadDpiAwareness` sets that around
// the creation of a window and puts the host's context back before anything
// calls the host again. Every function here is looked up in user32 when it
// is used, since the add-in also runs where they do not exist (Windows
// Vista to 8.1, Windows 10 before 1703): there, and when Windows refuses the
// context, the windows keep the host's context and only look coarser. That
// is never shown; it is recorded at log level 2.
#pragma once

#include <windows.h>

namespace sw {

// 96 DPI: the scale at which a pixel is a pixel.
inline constexpr UINT kDefaultDpi = 96;

// WM_DPICHANGED, which a per-monitor aware top-level window receives when it
// moves to a monitor of another scale (wParam: the new DPI; lParam: the
// window's suggested rectangle). Declared here because the build targets
// Windows 7's headers.
inline constexpr UINT kWmDpiChanged = 0x02E0;
// WM_DPICHANGED_AFTERPARENT: what each child window of a per-monitor v2
// aware window receives once the parent has been laid out at its new DPI.
inline constexpr UINT kWmDpiChangedAfterParent = 0x02E3;

// Sets the calling thread's DPI awareness to per-monitor v2, or per-monitor
// (v1) where v2 does not exist, for the scope's lifetime and restores the
// previous context when it ends.
class ThreadDpiAwareness {
public:
    ThreadDpiAwareness() noexcept;
    ~ThreadDpiAwareness();
    ThreadDpiAwareness(const ThreadDpiAwareness&) = delete;
    ThreadDpiAwareness& operator=(const ThreadDpiAwareness&) = delete;

    // Whether the thread runs per-monitor aware because of this scope.
    bool active() const noexcept { return m_previous != nullptr; }

private:
    DPI_AWARENESS_CONTEXT m_previous = nullptr;
};

// The DPI `window` is shown at: GetDpiForWindow where it exists, else the
// system's DPI (the screen's logical pixels per inch).
UINT DpiForWindow(HWND window) noexcept;

// GetSystemMetrics(`index`) at the DPI of `window` (a scroll bar's width, an
// icon's size): GetSystemMetrics alone answers for the system's DPI, which
// is wrong for a per-monitor aware window on a monitor of another scale.
int SystemMetricForWindow(HWND window, int index) noexcept;

// The font Windows uses for message boxes and dialogs at `dpi`; false when
// it cannot be had.
[[nodiscard]] bool MessageFontForDpi(UINT dpi, LOGFONTW& font) noexcept;

// Whether the user has a high-contrast theme on: then the add-in's windows
// draw in the theme's system colours only, never in colours of their own.
bool HighContrastOn() noexcept;

// `value` pixels at 96 DPI in pixels at `dpi`.
inline int ScaleForDpi(int value, UINT dpi) noexcept {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

} // namespace sw
