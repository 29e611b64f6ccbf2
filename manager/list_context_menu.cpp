#include "manager/list_context_menu.h"

#include "manager/resource.h"
#include "platform/diagnostics.h"

#include <commctrl.h>

namespace sw {
namespace {

// A popup menu owned for the length of one choice.
class PopupMenu {
public:
    PopupMenu() noexcept : m_menu(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (m_menu)
            DestroyMenu(m_menu);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    HMENU get() const noexcept { return m_menu; }

private:
    HMENU m_menu;
};

// Where a menu opened from the keyboard appears: under the focused row's
// text, or at the list's top left corner when no row has the focus.
POINT KeyboardMenuPosition(HWND listView) noexcept {
    POINT point = {0, 0};
    const int row = ListView_GetNextItem(listView, -1, LVNI_FOCUSED);
    RECT rect = {};
    if (row >= 0) {
        ListView_EnsureVisible(listView, row, FALSE);
        rect.left = LVIR_LABEL;
        if (SendMessageW(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&rect))) {
            point.x = rect.left;
            point.y = rect.bottom;
        }
    }
    ClientToScreen(listView, &point);
    return point;
}

} // namespace

std::vector<MenuCommand> BlockedSendersMenu(size_t selected) {
    const bool any = selected > 0;
    return {
        {IDC_EDIT, L"&Edit...", any},
        {IDC_REMOVE, L"&Remove", any},
        {IDC_CONVERT_TO_DOMAIN, L"&Convert to Domain", any},
        {},
        {IDC_TIDY, L"&Tidy...", true},
        {IDC_IMPORT, L"&Import...", true},
        {IDC_EXPORT, L"E&xport...", true},
    };
}

std::vector<MenuCommand> HistoryMenu(bool canUnblock, bool canRestore) {
    return {
        {IDC_UNBLOCK, L"&Unblock", canUnblock},
        {IDC_UNBLOCK_RESTORE, L"Unblock and &Restore", canRestore},
    };
}

int TrackListContextMenu(HWND listView, LPARAM position,
                         const std::vector<MenuCommand>& commands) noexcept {
    const PopupMenu menu;
    if (!menu.get()) {
        SW_LOG_IF_WIN32_ERROR(GetLastError());
        return 0;
    }
    for (const MenuCommand& command : commands) {
        const UINT flags =
            command.id == 0 ? MF_SEPARATOR : MF_STRING | (command.enabled ? MF_ENABLED : MF_GRAYED);
        if (!AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(command.id),
                         command.id == 0 ? nullptr : command.text.c_str())) {
            SW_LOG_IF_WIN32_ERROR(GetLastError());
            return 0;
        }
    }
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (position == -1)
        point = KeyboardMenuPosition(listView);
    // The page runs the choice as a click on the button; the menu only
    // answers which one.
    return static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
        point.x, point.y, 0, GetParent(listView), nullptr));
}

} // namespace sw
