#include "platform/command_progress.h"

#include "platform/diagnostics.h"
#include "platform/module.h"

namespace sw {
namespace {

constexpr wchar_t kWindowClass[] = L"SpamwardenProgress";
constexpr int kTextId = 100;

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
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        RECT frame = {0, 0, 320, 96};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
        m_window = CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, m_title.c_str(), style,
                                   CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                   frame.bottom - frame.top, m_owner, nullptr, AddinModule(), this);
        if (!m_window)
            return false;
        const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        const HWND text =
            CreateWindowExW(0, L"STATIC", ProgressText(0, m_total).c_str(),
                            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 16, 288, 20,
                            m_window, reinterpret_cast<HMENU>(kTextId), AddinModule(), nullptr);
        const HWND cancel = CreateWindowExW(
            0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 224, 56,
            80, 26, m_window, reinterpret_cast<HMENU>(kProgressCancelId), AddinModule(), nullptr);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Center();
        // As a modal window: the user's window takes no clicks meanwhile.
        if (m_owner && IsWindowEnabled(m_owner)) {
            EnableWindow(m_owner, FALSE);
            m_ownerDisabled = true;
        }
        ShowWindow(m_window, SW_SHOW);
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
            SetDlgItemTextW(m_window, kTextId, ProgressText(done, total).c_str());
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
        return DefWindowProcW(window, message, wParam, lParam);
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
    HWND m_window = nullptr;
    bool m_ownerDisabled = false;
    bool m_cancelled = false;
    ULONGLONG m_shownAt = 0;
};

std::unique_ptr<CommandProgress> ShowProgressWindow(const std::wstring& title, size_t total,
                                                    unsigned delayMs) {
    auto window = std::make_unique<ProgressWindow>(title, total, delayMs);
    if (!window->valid())
        return nullptr;
    return window;
}

ProgressFactory g_factory = &ShowProgressWindow;

} // namespace

std::wstring ProgressText(size_t done, size_t total) {
    return std::to_wstring(done) + L" of " + std::to_wstring(total) + L" messages done";
}

std::unique_ptr<CommandProgress> ShowCommandProgress(const std::wstring& title, size_t total,
                                                     unsigned delayMs) noexcept {
    try {
        return g_factory(title, total, delayMs);
    } catch (...) {
        SW_LOG_CAUGHT();
        return nullptr;
    }
}

ProgressFactory SetProgressFactory(ProgressFactory factory) noexcept {
    ProgressFactory previous = g_factory;
    g_factory = factory ? factory : &ShowProgressWindow;
    return previous;
}

} // namespace sw
