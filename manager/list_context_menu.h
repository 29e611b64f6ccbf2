// The context menu of the pages' lists (right click, Shift+F10, the Menu
// key): the page's commands for the rows selected, each enabled as its
// button would act on them. Which items a page offers is plain data that
// tests read; one window shim shows it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sw {

struct MenuCommand {
    // The command a choice sends to the page, as its button does; 0 for a
    // separator.
    int id = 0;
    std::wstring text;
    bool enabled = false;
};

// The Blocked Senders page's menu for `selected` rows: Edit (the first
// selected row, as its button), Remove and Convert to Domain, enabled with a
// selection, then Tidy, Import and Export.
std::vector<MenuCommand> BlockedSendersMenu(size_t selected);

// The History page's menu: Unblock and Unblock and Restore, enabled as the
// page enables their buttons.
std::vector<MenuCommand> HistoryMenu(bool canUnblock, bool canRestore);

// For a page's WM_CONTEXTMENU from `listView` (`position` as the message
// gives it: the pointer in screen coordinates, or -1 from the keyboard,
// when the menu opens at the focused row): shows `commands` and answers the
// id chosen, 0 for none.
int TrackListContextMenu(HWND listView, LPARAM position,
                         const std::vector<MenuCommand>& commands) noexcept;

} // namespace sw
