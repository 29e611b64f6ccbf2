// The keys of the pages' list views: Enter stays with the list instead of
// pressing the sheet's OK (the page answers the list's NM_RETURN), and
// Ctrl+A selects every row.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace sw {

// Keeps Enter in `listView`: the dialog manager then hands it to the list,
// which tells its page NM_RETURN, instead of pressing the default button.
void KeepEnterInListView(HWND listView) noexcept;

// For a page's LVN_KEYDOWN: Ctrl+A selects every row; answers whether the
// key was that.
bool SelectAllOnCtrlA(HWND listView, const NMLVKEYDOWN& key) noexcept;

} // namespace sw
