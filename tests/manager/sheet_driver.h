// Drives the real Options sheet as a user would, from a second thread, while
// the test's own thread runs the sheet's modal loop.
#pragma once

#include "store/history.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace sw::test {

class SheetDriver {
public:
    SheetDriver(HWND sheet, DWORD uiThread) : m_sheet(sheet), m_uiThread(uiThread) {}

    HWND sheet() const noexcept { return m_sheet; }
    // Selects page `index` (0 Options, 1 Blocked Senders, 2 History) and
    // returns its window.
    HWND ShowPage(int index) const;
    // The window of a page already created, without selecting it.
    HWND PageWindow(int index) const;

    static std::wstring Text(HWND dialog, int id);
    // Types a text into an edit (its change notification runs at once).
    static void SetText(HWND dialog, int id, const std::wstring& text);
    static void Click(HWND dialog, int id);
    // For buttons that open a modal window: a sent click would wait for it.
    static void PostClick(HWND dialog, int id);
    static bool IsChecked(HWND dialog, int id);

    // List view rows.
    static int RowCount(HWND listView);
    static std::wstring RowText(HWND listView, int row);
    static std::vector<std::wstring> Rows(HWND listView);
    static void SelectRows(HWND listView, std::initializer_list<int> rows);

    // List box rows.
    static std::vector<std::wstring> ListBoxRows(HWND listBox);
    static void SelectListBoxRow(HWND listBox, int row);

    // Waits for the Email Address dialog (titled `title`), notes the text it
    // opened with, types `text` and presses OK; or presses Cancel when
    // `text` is null. Returns the text it opened with (empty when it never
    // appeared).
    std::wstring AnswerEmailDialog(const std::wstring* text,
                                   const wchar_t* title = L"Email Address") const;
    // The same for the Options page's Add, where it asks for a domain.
    std::wstring AnswerDomainDialog(const std::wstring* text) const {
        return AnswerEmailDialog(text, L"Domain");
    }

    void PressOk() { Press(PSBTN_OK); }
    void PressCancel() { Press(PSBTN_CANCEL); }
    bool pressed() const noexcept { return m_pressed; }

    // Posts a key press to `window` as the keyboard would, through the
    // sheet's message loop (and so through its dialog manager).
    static void PostKey(HWND window, WPARAM key);
    // The window that has the keyboard focus on the sheet's thread.
    HWND Focus() const;
    // Waits until `condition` holds, up to two seconds; answers it.
    static bool WaitFor(const std::function<bool()>& condition);

    // A visible top-level window of the sheet's thread with this title.
    HWND FindThreadWindow(const wchar_t* title) const;
    // The same, waited for (null when it never appears).
    HWND WaitForWindow(const wchar_t* title) const;
    // Waits until `window` is gone; false when it stays.
    static bool WaitUntilGone(HWND window);

private:
    void Press(int button);

    HWND m_sheet;
    DWORD m_uiThread;
    bool m_pressed = false;
};

// Runs ShowOptionsSheet on this thread while `script` drives the sheet from
// another. A script that presses neither OK nor Cancel gets Cancel; dialogs
// left open are cancelled, so the call always returns. `restorer` goes to
// ShowOptionsSheet.
void RunOptionsSheet(const std::function<void(SheetDriver&)>& script,
                     MessageRestorer* restorer = nullptr);

} // namespace sw::test
