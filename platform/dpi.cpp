#include "platform/dpi.h"

#include "platform/diagnostics.h"

namespace sw {
namespace {

using SetContextFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using MetricsForDpiFunction = int(WINAPI*)(int, UINT);
using ParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// A user32 function that may be missing. Looked up at each use: a lookup
// costs next to nothing beside creating a window, and nothing is cached that
// could outlive the module.
template <class Function> Function User32Function(const char* name) noexcept {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

UINT SystemDpi() noexcept {
    const HDC screen = GetDC(nullptr);
    if (!screen)
        return kDefaultDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

} // namespace

ThreadDpiAwareness::ThreadDpiAwareness() noexcept {
    const auto setContext = User32Function<SetContextFunction>("SetThreadDpiAwarenessContext");
    if (!setContext) {
        SW_LOG_LOOK_FAILURE(L"SetThreadDpiAwarenessContext", ERROR_PROC_NOT_FOUND);
        return;
    }
    // Answers the previous context, or null when Windows refuses this one.
    // Per-monitor v2 exists from Windows 10 1703 on, per-monitor (v1) from
    // 1607, where the function came: a system without v2 (Wine among them)
    // refuses it with ERROR_INVALID_PARAMETER, which is its ordinary answer
    // there, so v1 is taken quietly. Only a refusal of both is recorded.
    DWORD error = ERROR_SUCCESS;
    for (const DPI_AWARENESS_CONTEXT context :
         {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE}) {
        SetLastError(ERROR_SUCCESS);
        m_previous = setContext(context);
        if (m_previous)
            return;
        error = GetLastError();
    }
    SW_LOG_LOOK_FAILURE(L"SetThreadDpiAwarenessContext",
                        error ? error : static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

ThreadDpiAwareness::~ThreadDpiAwareness() {
    if (!m_previous)
        return;
    if (const auto setContext =
            User32Function<SetContextFunction>("SetThreadDpiAwarenessContext")) {
        if (!setContext(m_previous))
            SW_LOG_LOOK_FAILURE(L"SetThreadDpiAwarenessContext", GetLastError());
    }
}

UINT DpiForWindow(HWND window) noexcept {
    if (window) {
        if (const auto forWindow = User32Function<DpiForWindowFunction>("GetDpiForWindow")) {
            if (const UINT dpi = forWindow(window))
                return dpi;
        }
    }
    return SystemDpi();
}

int SystemMetricForWindow(HWND window, int index) noexcept {
    if (const auto forDpi = User32Function<MetricsForDpiFunction>("GetSystemMetricsForDpi"))
        return forDpi(index, DpiForWindow(window));
    return GetSystemMetrics(index);
}

bool HighContrastOn() noexcept {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool MessageFontForDpi(UINT dpi, LOGFONTW& font) noexcept {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (const auto forDpi =
            User32Function<ParametersForDpiFunction>("SystemParametersInfoForDpi")) {
        if (forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi)) {
            font = metrics.lfMessageFont;
            return true;
        }
    }
    // Without it the font comes at the system's DPI and is scaled here.
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        SW_LOG_LOOK_FAILURE(L"SystemParametersInfoW", GetLastError());
        return false;
    }
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return true;
}

} // namespace sw
