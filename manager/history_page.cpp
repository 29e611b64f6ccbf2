#include "manager/history_page.h"

#include "manager/dialog_procedure.h"
#include "manager/list_context_menu.h"
#include "manager/page_keys.h"
#include "manager/list_view_selection.h"
#include "manager/resource.h"
#include "platform/diagnostics.h"
#include "platform/dpi.h"
#include "platform/module.h"

#include <algorithm>

namespace sw {
namespace {

struct ColumnLayout {
    const wchar_t* heading;
    int format;
};

constexpr ColumnLayout kColumns[] = {
    {L"Time", LVCFMT_LEFT},
    {L"Command", LVCFMT_LEFT},
    {L"Entries", LVCFMT_LEFT},
    {L"Messages", LVCFMT_RIGHT},
};

// What the list view draws around a cell's or heading's text besides the text
// itself: the padding comctl32 adds to ListView_GetStringWidth when it sizes
// a column to its content.
constexpr int kCellPadding = 12;

int StringWidth(HWND listView, const std::wstring& text) {
    return static_cast<int>(
        SendMessageW(listView, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

} // namespace

void CHistoryPage::StartPreload() noexcept {
    try {
        m_preload = std::async(std::launch::async, &LoadHistorySummaries);
    } catch (...) {
        // No thread to be had: the page reads the history when it opens.
        SW_LOG_CAUGHT();
    }
}

std::vector<HistoryAction> CHistoryPage::TakeHistory() noexcept {
    try {
        return m_preload.valid() ? m_preload.get() : LoadHistorySummaries();
    } catch (...) {
        // Short of memory for a long history: the page shows none.
        SW_LOG_CAUGHT();
        return {};
    }
}

INT_PTR CHistoryPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        m_window = window;
        OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        if (!m_initialized)
            break;
        switch (LOWORD(wParam)) {
        case IDC_UNBLOCK:
            OnUnblock(false);
            return TRUE;
        case IDC_UNBLOCK_RESTORE:
            OnUnblock(true);
            return TRUE;
        case IDCANCEL:
            // Escape in the multi-line entries box closes the page, not
            // the sheet: pass it on as the sheet's Cancel.
            PropSheet_PressButton(GetParent(window), PSBTN_CANCEL);
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
            SizeColumns();
        break;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.idFrom == IDC_HISTORY_LIST && m_initialized) {
            switch (header.code) {
            case LVN_GETDISPINFOW:
                OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return TRUE;
            case LVN_ITEMCHANGED:
            case LVN_ODSTATECHANGED:
                ShowSelection();
                return TRUE;
            case NM_RETURN:
                // Enter in the list saves nothing: undoing takes a button.
                return DialogResult(window, TRUE);
            case LVN_KEYDOWN:
                SelectAllOnCtrlA(m_listView, *reinterpret_cast<const NMLVKEYDOWN*>(lParam));
                return TRUE;
            }
        } else if (header.code == PSN_APPLY) {
            m_working.Accept();
            return DialogResult(window, PSNRET_NOERROR);
        }
        break;
    }
    }
    return FALSE;
}

void CHistoryPage::OnInitDialog() {
    m_listView = GetDlgItem(m_window, IDC_HISTORY_LIST);
    KeepEnterInListView(m_listView);
    KeepEnterAndLeaveTabInMultiLineEdit(GetDlgItem(m_window, IDC_HISTORY_ENTRIES));
    m_edits.Load(TakeHistory());

    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = kColumns[i].format;
        column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
        ListView_InsertColumn(m_listView, i, &column);
    }
    ListView_SetExtendedListViewStyleEx(m_listView, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ListView_SetItemCountEx(m_listView, static_cast<int>(m_edits.RowCount()), 0);
    SizeColumns();
    m_initialized = true;
    ShowSelection();
}

void CHistoryPage::SizeColumns() {
    // Time, Command and Messages as wide as their widest text, heading
    // included, so that none is ever cut; Entries takes the rest, and the
    // box under the list shows the selected runs' entries in full.
    int widths[std::size(kColumns)] = {};
    int fixed = 0;
    for (HistoryColumn column :
         {HistoryColumn::Time, HistoryColumn::Command, HistoryColumn::Messages}) {
        const size_t index = static_cast<size_t>(column);
        int widest = StringWidth(m_listView, kColumns[index].heading);
        for (size_t row = 0; row < m_edits.RowCount(); ++row)
            widest = std::max(widest, StringWidth(m_listView, m_edits.CellText(row, column)));
        widths[index] = widest + kCellPadding;
        fixed += widths[index];
    }
    RECT client = {};
    GetClientRect(m_listView, &client);
    int rest = client.right - client.left - fixed;
    // Rows that will need a vertical scroll bar take its width now.
    if (!(GetWindowLongPtrW(m_listView, GWL_STYLE) & WS_VSCROLL) &&
        static_cast<int>(m_edits.RowCount()) > ListView_GetCountPerPage(m_listView))
        rest -= SystemMetricForWindow(m_listView, SM_CXVSCROLL);
    const size_t entries = static_cast<size_t>(HistoryColumn::Entries);
    widths[entries] =
        std::max(rest, StringWidth(m_listView, kColumns[entries].heading) + kCellPadding);
    for (size_t i = 0; i < std::size(widths); ++i) {
        if (!ListView_SetColumnWidth(m_listView, static_cast<int>(i), widths[i]))
            SW_LOG_LOOK_FAILURE(L"ListView_SetColumnWidth", GetLastError());
    }
}

void CHistoryPage::OnContextMenu(LPARAM position) {
    const std::vector<int> rows = SelectedListViewRows(m_listView);
    const int chosen =
        TrackListContextMenu(m_listView, position,
                             HistoryMenu(m_edits.CanUnblock(rows, false),
                                         m_canRestore && m_edits.CanUnblock(rows, true)));
    if (chosen != 0)
        SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED), 0);
}

void CHistoryPage::OnUnblock(bool restore) {
    const std::vector<int> rows = SelectedListViewRows(m_listView);
    if (!m_edits.CanUnblock(rows, restore) || (restore && !m_canRestore))
        return;
    // The Blocked Senders page may not have been shown: the list is read
    // now. One that could not be read (the store has said why) is left
    // alone, and with it the runs.
    m_working.Load();
    if (m_working.ReadFailed())
        return;
    // An entry kept in another letter case may take the place of the run's
    // own: the count alone does not tell that the rows changed.
    const size_t before = m_working.List().Entries().size();
    const size_t removed = m_edits.Unblock(rows, restore, m_working.List());
    if (removed > 0 || m_working.List().Entries().size() != before)
        m_working.NoteChange();
    // A run marked "(to undo)" may need a wider Command column.
    SizeColumns();
    InvalidateRect(m_listView, nullptr, TRUE);
    ShowSelection();
    // The button just pressed may have disabled itself: the focus goes back
    // to the list rather than nowhere.
    const HWND focus = GetFocus();
    if (!focus || !IsWindowEnabled(focus))
        SendMessageW(GetParent(m_window), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_listView),
                     TRUE);
}

void CHistoryPage::OnGetDispInfo(NMLVDISPINFOW& request) const {
    LVITEMW& item = request.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    std::wstring text;
    if (item.iItem >= 0 && item.iSubItem >= 0 &&
        item.iSubItem < static_cast<int>(std::size(kColumns)))
        text = m_edits.CellText(static_cast<size_t>(item.iItem),
                                static_cast<HistoryColumn>(item.iSubItem));
    const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

void CHistoryPage::ShowSelection() {
    const std::vector<int> rows = SelectedListViewRows(m_listView);
    const std::wstring entries = m_edits.EntriesText(rows);
    if (entries != m_shownEntries) {
        m_shownEntries = entries;
        SetDlgItemTextW(m_window, IDC_HISTORY_ENTRIES, entries.c_str());
    }
    EnableWindow(GetDlgItem(m_window, IDC_UNBLOCK), m_edits.CanUnblock(rows, false));
    EnableWindow(GetDlgItem(m_window, IDC_UNBLOCK_RESTORE),
                 m_canRestore && m_edits.CanUnblock(rows, true));
    // A button that has just done its work may be disabled under the focus.
    const HWND focus = GetFocus();
    if (focus && GetParent(focus) == m_window && !IsWindowEnabled(focus))
        SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_listView), TRUE);
}

} // namespace sw
