#include "manager/blocked_senders_page.h"

#include "manager/dialog_procedure.h"
#include "manager/list_context_menu.h"
#include "manager/list_view_selection.h"
#include "manager/page_keys.h"
#include "manager/resource.h"
#include "manager/window_text.h"
#include "platform/diagnostics.h"
#include "platform/dpi.h"
#include "platform/module.h"
#include "platform/text_format.h"
#include "store/list_capacity.h"

#include <uxtheme.h>

#include <algorithm>

namespace sw {

INT_PTR CBlockedSendersPage::HandleMessage(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        m_window = window;
        OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        if (!m_initialized)
            break;
        switch (LOWORD(wParam)) {
        case IDC_SEARCH:
            if (HIWORD(wParam) == EN_CHANGE)
                OnSearchChanged();
            return TRUE;
        case IDC_REMOVE:
            OnRemove();
            return TRUE;
        case IDC_EDIT:
            OnEdit();
            return TRUE;
        case IDC_CONVERT_TO_DOMAIN:
            OnConvertToDomain();
            return TRUE;
        case IDC_TIDY:
            OnTidy();
            return TRUE;
        case IDC_IMPORT:
            OnImport();
            return TRUE;
        case IDC_EXPORT:
            OnExport();
            return TRUE;
        }
        break;
    case WM_CONTEXTMENU:
        if (m_initialized && reinterpret_cast<HWND>(wParam) == m_listView) {
            OnContextMenu(lParam);
            return TRUE;
        }
        break;
    case kWmDpiChangedAfterParent:
        if (m_initialized)
            SizeColumn();
        break;
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.idFrom == IDC_SEARCH && header.code == NM_RETURN && m_initialized) {
            // Enter in Search goes to the first row it left.
            OnSearchEnter();
            return DialogResult(window, TRUE);
        }
        if (header.idFrom == IDC_ENTRIES && m_initialized) {
            if (header.code == LVN_GETDISPINFOW) {
                OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return TRUE;
            }
            if (header.code == LVN_ODFINDITEMW)
                return DialogResult(window, OnFindItem(*reinterpret_cast<NMLVFINDITEMW*>(lParam)));
            // Enter edits the entry, Delete removes the selection.
            if (header.code == NM_RETURN) {
                OnEdit();
                return DialogResult(window, TRUE);
            }
            if (header.code == LVN_KEYDOWN) {
                const auto& key = *reinterpret_cast<NMLVKEYDOWN*>(lParam);
                if (key.wVKey == VK_DELETE)
                    OnRemove();
                else
                    SelectAllOnCtrlA(m_listView, key);
                return TRUE;
            }
        } else if (header.code == PSN_SETACTIVE) {
            OnSetActive();
            return DialogResult(window, 0);
        } else if (header.code == PSN_APPLY) {
            m_working.Accept();
            return DialogResult(window, PSNRET_NOERROR);
        }
        break;
    }
    }
    return FALSE;
}

void CBlockedSendersPage::OnInitDialog() {
    m_listView = GetDlgItem(m_window, IDC_ENTRIES);
    KeepEnterInListView(m_listView);
    KeepEnterInControl(GetDlgItem(m_window, IDC_SEARCH));

    m_working.Load();
    m_shownRevision = m_working.Revision();

    wchar_t heading[] = L"Email";
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = heading;
    ListView_InsertColumn(m_listView, 0, &column);
    SizeColumn();

    const size_t count = List().Entries().size();
    ListView_SetItemCountEx(m_listView, static_cast<int>(count), 0);
    ListView_SetExtendedListViewStyleEx(m_listView, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    // Set once: later changes leave the count loaded here on show.
    m_total = FormatText(L"Total: %d", static_cast<int>(count));
    SetDlgItemTextW(m_window, IDC_TOTAL, m_total.c_str());
    SendDlgItemMessageW(m_window, IDC_CAPACITY_BAR, PBM_SETRANGE32, 0, 100);
    ShowCapacity();
    m_initialized = true;
}

void CBlockedSendersPage::SizeColumn() {
    // The list's width less a vertical scroll bar's, at the window's DPI.
    RECT client = {};
    GetClientRect(m_listView, &client);
    const int width = client.right - client.left - SystemMetricForWindow(m_listView, SM_CXVSCROLL);
    if (!ListView_SetColumnWidth(m_listView, 0, width))
        SW_LOG_LOOK_FAILURE(L"ListView_SetColumnWidth", GetLastError());
}

void CBlockedSendersPage::OnContextMenu(LPARAM position) {
    const int chosen = TrackListContextMenu(
        m_listView, position,
        BlockedSendersMenu(static_cast<size_t>(ListView_GetSelectedCount(m_listView))));
    if (chosen != 0)
        SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED), 0);
}

void CBlockedSendersPage::OnSearchChanged() {
    // A search changes what is shown, never the list: the meter stays.
    List().ApplyFilter(WindowText(GetDlgItem(m_window, IDC_SEARCH)));
    ShowRows();
}

void CBlockedSendersPage::OnSearchEnter() {
    if (List().Shown().empty())
        return;
    SelectRowInPlace(m_listView, 0);
    SendMessageW(GetParent(m_window), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_listView), TRUE);
}

void CBlockedSendersPage::OnGetDispInfo(NMLVDISPINFOW& request) const {
    LVITEMW& item = request.item;
    if (!(item.mask & LVIF_TEXT) || item.iSubItem != 0 || !item.pszText || item.cchTextMax <= 0)
        return;
    const std::vector<std::wstring>& shown = List().Shown();
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= shown.size()) {
        item.pszText[0] = L'\0';
        return;
    }
    const std::wstring& text = shown[static_cast<size_t>(item.iItem)];
    const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

int CBlockedSendersPage::OnFindItem(const NMLVFINDITEMW& request) const {
    if (!(request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !request.lvfi.psz)
        return -1;
    return List().FindRow(request.lvfi.psz, request.iStart);
}

void CBlockedSendersPage::OnSetActive() {
    if (!m_initialized || m_shownRevision == m_working.Revision())
        return;
    m_shownRevision = m_working.Revision();
    ShowRows();
    ShowCapacity();
}

void CBlockedSendersPage::ShowRows() {
    // Row numbers now stand for other entries: keep no selection that would
    // point a later Remove at them. Emptying the list drops the selection
    // without a change notice per row; what may survive is cleared after. A
    // new count costs Wine's list view a scroll-bar update that it paints at
    // once unless told to wait; an unchanged count without a selection needs
    // no update at all, which keeps a search keystroke quick.
    const int count = static_cast<int>(List().Shown().size());
    const bool selected = ListView_GetSelectedCount(m_listView) != 0;
    if (selected || ListView_GetItemCount(m_listView) != count) {
        SendMessageW(m_listView, WM_SETREDRAW, FALSE, 0);
        if (selected)
            ListView_SetItemCountEx(m_listView, 0, 0);
        ListView_SetItemCountEx(m_listView, count, 0);
        SendMessageW(m_listView, WM_SETREDRAW, TRUE, 0);
    }
    if (ListView_GetSelectedCount(m_listView) != 0)
        ListView_SetItemState(m_listView, -1, 0, LVIS_SELECTED);
    InvalidateRect(m_listView, nullptr, TRUE);
    // How many rows a search leaves, beside the total; nothing without one.
    const std::wstring shown =
        List().Search().empty() ? std::wstring() : FormatText(L"Shown: %d", count);
    if (shown != m_shown) {
        m_shown = shown;
        SetDlgItemTextW(m_window, IDC_SHOWN, shown.c_str());
    }
}

void CBlockedSendersPage::ShowEdit() {
    m_working.NoteChange();
    m_shownRevision = m_working.Revision();
    ShowRows();
    ShowCapacity();
}

void CBlockedSendersPage::ShowCapacity() {
    ListCapacity capacity;
    capacity.bytes = List().StoredBytes() + m_working.SafeBytes();
    capacity.entries = List().StoredEntries();
    capacity.copies = List().StoredCopies();
    const CapacityLevel level = capacity.Level();
    std::wstring text = capacity.Text();
    if (level == CapacityLevel::Over)
        text += L" \u2014 over the limit";
    else if (level == CapacityLevel::Warning)
        text += L" \u2014 nearly full";
    if (text == m_capacityText)
        return;
    m_capacityText = text;

    const HWND bar = GetDlgItem(m_window, IDC_CAPACITY_BAR);
    if (level != m_capacityLevel) {
        m_capacityLevel = level;
        // Normal, paused (yellow) past 90 %, error (red) past the limit: a
        // visual style colours the bar by its state. A bar that keeps no
        // state (an older comctl32, Wine's) is coloured directly, which only
        // its classic look shows.
        const WPARAM state = level == CapacityLevel::Over      ? PBST_ERROR
                             : level == CapacityLevel::Warning ? PBST_PAUSED
                                                               : PBST_NORMAL;
        SendMessageW(bar, PBM_SETSTATE, state, 0);
        if (static_cast<WPARAM>(SendMessageW(bar, PBM_GETSTATE, 0, 0)) != state) {
            if (level != CapacityLevel::Normal && !m_classicBar) {
                SetWindowTheme(bar, L" ", L" "); // no visual style: the classic look
                m_classicBar = true;
            }
            // Under a high-contrast theme the bar keeps the theme's colour;
            // the text says how full the list is.
            const COLORREF colour = HighContrastOn()                  ? CLR_DEFAULT
                                    : level == CapacityLevel::Over    ? kCapacityOverColour
                                    : level == CapacityLevel::Warning ? kCapacityWarningColour
                                                                      : CLR_DEFAULT;
            SendMessageW(bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(colour));
        }
    }
    SendMessageW(bar, PBM_SETPOS, std::min(capacity.Percent(), 100u), 0);
    SetDlgItemTextW(m_window, IDC_CAPACITY_TEXT, text.c_str());
}

} // namespace sw
