#include "platform/progress_window.h"

#include "platform/command_progress.h"
#include "platform/diagnostics.h"
#include "platform/dpi.h"
#include "platform/module.h"
#include "platform/unique_gdi.h"

#include <commctrl.h>

#include <algorithm>

namespace sw {
namespace {

constexpr wchar_t kWindowClass[] = L"SpamwardenProgress";
constexpr wchar_t kProgressBarClass[] = L"msctls_progress32"; // PROGRESS_CLASSW
constexpr UINT kSetRange32 = WM_USER + 6;                     // PBM_SETRANGE32
constexpr UINT kSetPosition = WM_USER + 2;                    // PBM_SETPOS

// The widest count the text must hold without cutting it.
constexpr size_t kWidestCount = 9'999'999;

// comctl32, loaded while a progress window is up: the module does not import
// it, so that loading the add-in costs no more than before.
class CommonControlsModule {
public:
    CommonControlsModule() noexcept : m_module(LoadLibraryW(L"comctl32.dll")) {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = m_module ? reinterpret_cast<InitFunction>(reinterpret_cast<void*>(
                                         GetProcAddress(m_module, "InitCommonControlsEx")))
                                   : nullptr;
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
        if (!init || !init(&classes))
            SW_LOG_LOOK_FAILURE(L"InitCommonControlsEx", GetLastError());
    }
    ~CommonControlsModule() {
        if (m_module)
            FreeLibrary(m_module);
    }
    CommonControlsModule(const CommonControlsModule&) = delete;
    CommonControlsModule& operator=(const CommonControlsModule&) = delete;

private:
    HMODULE m_module;
};

class ProgressWindow final : public CommandProgress {
public:
    ProgressWindow(std::wstring title, size_t total, unsigned delayMs)
        : m_title(std::move(title)), m_total(total), m_delay(delayMs), m_started(GetTickCount64()) {
        m_owner = GetActiveWindow();
        if (m_delay == 0)
            Create();
    }

    // Creates and shows the window; false when it cannot be had.
    bool Create() {
        m_tried = true;
        if (!RegisterClassOnce())
            return false;
        // Per-monitor aware only while the windows are made: the command
        // that steps this window calls the host in the host's own context.
        ThreadDpiAwareness awareness;
        m_controls = std::make_unique<CommonControlsModule>();
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        m_window = CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, m_title.c_str(), style,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 320, 120, m_owner, nullptr,
                                   AddinModule(), this);
        if (!m_window)
            return false;
        // In this order, so that the text names the bar for screen readers
        // and Tab order runs text, bar, Cancel.
        m_text = Child(L"STATIC", ProgressText(0, m_total).c_str(),
                       SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kProgressTextId);
        m_bar = Child(kProgressBarClass, L"", 0, kProgressBarId);
        m_cancel = Child(L"BUTTON", L"Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, kProgressCancelId);
        SendMessageW(m_bar, kSetRange32, 0, static_cast<LPARAM>(Clamped(m_total)));
        LayOut(DpiForWindow(m_window), nullptr);
        // As a modal window: the user's window takes no clicks meanwhile.
        if (m_owner && IsWindowEnabled(m_owner)) {
            EnableWindow(m_owner, FALSE);
            m_ownerDisabled = true;
        }
        ShowWindow(m_window, SW_SHOW);
        SetFocus(m_cancel);
        UpdateWindow(m_window);
        return true;
    }

    ~ProgressWindow() override {
        // The owner first, so that it becomes the active window again.
        if (m_ownerDisabled)
            EnableWindow(m_owner, TRUE);
        if (m_window)
            DestroyWindow(m_window);
    }

    // Whether the window is up, or still to come; false once it failed.
    bool valid() const noexcept { return m_window != nullptr || !m_tried; }

    bool Step(size_t done, size_t total) override {
        // A run quicker than the delay never shows a window: it would only flash.
        if (!m_window && !m_tried && GetTickCount64() - m_started >= m_delay)
            Create();
        if (!m_window)
            return true;
        // The count is redrawn a few times a second, not for every item.
        const ULONGLONG now = GetTickCount64();
        if (now - m_shownAt >= 100 || done == total) {
            m_shownAt = now;
            SetWindowTextW(m_text, ProgressText(done, total).c_str());
            // The total may grow as the run finds more messages.
            if (total != m_total) {
                m_total = total;
                SendMessageW(m_bar, kSetRange32, 0, static_cast<LPARAM>(Clamped(total)));
            }
            SendMessageW(m_bar, kSetPosition, static_cast<WPARAM>(Clamped(done)), 0);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The host is closing: leave the quit for its own loop.
                PostQuitMessage(static_cast<int>(message.wParam));
                m_cancelled = true;
                break;
            }
            if (!IsDialogMessageW(m_window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        return !m_cancelled;
    }

private:
    static bool RegisterClassOnce() {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        if (GetClassInfoExW(AddinModule(), kWindowClass, &windowClass))
            return true;
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = AddinModule();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && ((message == WM_COMMAND && LOWORD(wParam) == kProgressCancelId) ||
                     message == WM_CLOSE)) {
            // Cancel, Esc and the close box all ask to stop after this item.
            self->m_cancelled = true;
            return 0;
        }
        if (self && message == WM_SETFOCUS && self->m_cancel) {
            // Back from another window, the keyboard is on Cancel again.
            SetFocus(self->m_cancel);
            return 0;
        }
        if (self && message == kWmDpiChanged) {
            // On a monitor of another scale: HIWORD is the new vertical DPI,
            // lParam where Windows suggests the window go.
            try {
                self->LayOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            } catch (...) {
                SW_LOG_CAUGHT(); // the window keeps its old size
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND Child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id) const {
        return CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                               m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               AddinModule(), nullptr);
    }

    static LPARAM Clamped(size_t count) noexcept {
        return static_cast<LPARAM>(count > 0x7FFFFFFF ? 0x7FFFFFFF : count);
    }

    // The width of `text` and the font's line height, in pixels.
    static SIZE Measure(HDC context, const std::wstring& text) {
        SIZE size = {};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(context, &metrics);
        size.cy = metrics.tmHeight;
        return size;
    }

    // Sizes the font, the controls and the window for `dpi`, measured in the
    // font itself so that no text is cut at any scale. With `suggested` the
    // window goes there (a move between monitors); without, it is centred on
    // its owner.
    void LayOut(UINT dpi, const RECT* suggested) {
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        LOGFONTW description = {};
        unique_font scaled;
        if (MessageFontForDpi(dpi, description))
            scaled.reset(CreateFontIndirectW(&description));
        if (scaled)
            font = scaled.get();

        SIZE text = {};
        SIZE cancel = {};
        if (const HDC context = GetDC(m_window)) {
            const HGDIOBJ previous = SelectObject(context, font);
            text = Measure(context, ProgressText(kWidestCount, kWidestCount));
            cancel = Measure(context, L"Cancel");
            SelectObject(context, previous);
            ReleaseDC(m_window, context);
        }
        const int margin = ScaleForDpi(12, dpi);
        const int gap = ScaleForDpi(8, dpi);
        const int buttonWidth = std::max<int>(ScaleForDpi(80, dpi), cancel.cx + 2 * margin);
        const int buttonHeight = std::max<int>(ScaleForDpi(26, dpi), cancel.cy + gap);
        const int barHeight = std::max<int>(ScaleForDpi(16, dpi), text.cy);
        const int inside = std::max<int>(ScaleForDpi(296, dpi), text.cx + ScaleForDpi(4, dpi));
        const int width = inside + 2 * margin;
        int y = margin;
        MoveWindow(m_text, margin, y, inside, text.cy, FALSE);
        y += text.cy + gap / 2;
        MoveWindow(m_bar, margin, y, inside, barHeight, FALSE);
        y += barHeight + gap + gap / 2;
        MoveWindow(m_cancel, width - margin - buttonWidth, y, buttonWidth, buttonHeight, FALSE);
        const int height = y + buttonHeight + margin;
        for (HWND control : {m_text, m_cancel})
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // The old font goes only once no control uses it.
        m_font = std::move(scaled);

        // The frame as the window has it now, at its own DPI.
        RECT outer = {};
        RECT client = {};
        GetWindowRect(m_window, &outer);
        GetClientRect(m_window, &client);
        const int outerWidth = width + (outer.right - outer.left) - client.right;
        const int outerHeight = height + (outer.bottom - outer.top) - client.bottom;
        if (suggested) {
            SetWindowPos(m_window, nullptr, suggested->left, suggested->top, outerWidth,
                         outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            SetWindowPos(m_window, nullptr, 0, 0, outerWidth, outerHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Center();
        }
        InvalidateRect(m_window, nullptr, TRUE);
    }

    void Center() {
        RECT area = {};
        if (!m_owner || !GetWindowRect(m_owner, &area))
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        RECT own = {};
        GetWindowRect(m_window, &own);
        const int width = own.right - own.left;
        const int height = own.bottom - own.top;
        SetWindowPos(m_window, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    std::wstring m_title;
    size_t m_total;
    unsigned m_delay;
    ULONGLONG m_started;
    bool m_tried = false;
    HWND m_owner = nullptr;
    std::unique_ptr<CommonControlsModule> m_controls;
    // Destroyed after the window, which the destructor ends first.
    unique_font m_font;
    HWND m_window = nullptr;
    HWND m_text = nullptr;
    HWND m_bar = nullptr;
    HWND m_cancel = nullptr;
    bool m_ownerDisabled = false;
    bool m_cancelled = false;
    ULONGLONG m_shownAt = 0;
};

} // namespace

std::unique_ptr<CommandProgress> ShowProgressWindow(const std::wstring& title, size_t total,
                                                    unsigned delayMs) {
    auto window = std::make_unique<ProgressWindow>(title, total, delayMs);
    if (!window->valid())
        return nullptr;
    return window;
}

} // namespace sw
