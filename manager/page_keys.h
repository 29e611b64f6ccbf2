// The keys of the pages' controls: Enter stays with the control instead of
// pressing the sheet's OK, Tab in a multi-line box moves through the whole
// sheet, and Ctrl+A selects every row of a list.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace sw {

// Keeps Enter in `listView`: the dialog manager then hands it to the list,
// which tells its page NM_RETURN, instead of pressing the default button.
void KeepEnterInListView(HWND listView) noexcept;

// Keeps Enter in `control`, an edit or list box, which has no use of its own
// for it: its page is told NM_RETURN from the control, as a list view tells
// it, and the control never sees the key.
void KeepEnterInControl(HWND control) noexcept;

// Keeps Enter in the multi-line edit `edit` as KeepEnterInControl does and
// leaves Tab to the sheet's dialog manager: the edit itself would move the
// focus only among its own page's controls.
void KeepEnterAndLeaveTabInMultiLineEdit(HWND edit) noexcept;

// For a page's LVN_KEYDOWN: Ctrl+A selects every row; answers whether the
// key was that.
bool SelectAllOnCtrlA(HWND listView, const NMLVKEYDOWN& key) noexcept;

} // namespace sw
