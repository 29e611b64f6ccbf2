#include "manager/tidy_dialog.h"

#include "manager/dialog_procedure.h"
#include "manager/resource.h"
#include "manager/window_text.h"
#include "platform/diagnostics.h"
#include "platform/dpi.h"
#include "platform/module.h"
#include "store/list_capacity.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

namespace sw {
namespace {

// A preview longer than this says how many more changes there are: filling
// a list box with tens of thousands of lines would keep the user waiting.
constexpr size_t kPreviewLines = 500;

// What a list box leaves around a line's text, in pixels.
constexpr int kTextMargin = 4;

// Posted to itself after a change of DPI, once the dialog manager has laid
// the dialog out at the new scale: the previews are fitted again.
constexpr UINT kRefitPreviews = WM_APP + 1;

constexpr int kThresholdMin = 2;
constexpr int kThresholdMax = 999;

struct GroupControls {
    int check;
    int saves;
    int list;
};

constexpr GroupControls kGroups[kTidyGroupCount] = {
    {IDC_TIDY_DUPLICATES, IDC_TIDY_DUPLICATES_SAVES, IDC_TIDY_DUPLICATES_LIST},
    {IDC_TIDY_COVERED, IDC_TIDY_COVERED_SAVES, IDC_TIDY_COVERED_LIST},
    {IDC_TIDY_FOLD, IDC_TIDY_FOLD_SAVES, IDC_TIDY_FOLD_LIST},
};

} // namespace

std::wstring SavingsText(size_t entries, size_t bytes) {
    std::wstring text =
        GroupedNumber(entries) + (entries == 1 ? L" entry" : L" entries") + L" \u00B7 ";
    if (bytes < 1024)
        return text + GroupedNumber(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    return text + GroupedNumber((bytes + 1023) / 1024) + L" KB";
}

CTidyDialog::CTidyDialog(TidyInput input, size_t storedBytes, size_t storedEntries,
                         size_t otherBytes)
    : m_input(std::move(input)), m_storedBytes(storedBytes), m_storedEntries(storedEntries),
      m_otherBytes(otherBytes) {}

INT_PTR CTidyDialog::DoModal(HWND parent) {
    const INT_PTR result =
        DialogBoxParamW(AddinModule(), MAKEINTRESOURCEW(IDD_TIDY), parent,
                        &DialogProcedure<CTidyDialog>, reinterpret_cast<LPARAM>(this));
    return result == IDOK ? IDOK : IDCANCEL;
}

bool CTidyDialog::ChangesAnything() const noexcept {
    for (size_t group = 0; group < kTidyGroupCount; ++group) {
        if (m_choice[group] && !m_proposals[group].changes.empty())
            return true;
    }
    return false;
}

INT_PTR CTidyDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        m_window = window;
        const HWND spin = GetDlgItem(window, IDC_TIDY_THRESHOLD_SPIN);
        SendMessageW(spin, UDM_SETRANGE32, kThresholdMin, kThresholdMax);
        SendMessageW(spin, UDM_SETPOS32, 0, m_input.foldThreshold);
        SetDlgItemInt(window, IDC_TIDY_THRESHOLD, static_cast<UINT>(m_input.foldThreshold), FALSE);
        Propose();
        // A group with something to do starts chosen.
        for (size_t group = 0; group < kTidyGroupCount; ++group)
            CheckDlgButton(window, kGroups[group].check,
                           m_proposals[group].changes.empty() ? BST_UNCHECKED : BST_CHECKED);
        ReadChoice();
        ShowProposals();
        m_ready = true;
        return TRUE;
    }
    case kWmDpiChanged:
        // Windows rescales the dialog's layout and fonts itself; the lines
        // of the previews were fitted to the old widths.
        if (!PostMessageW(window, kRefitPreviews, 0, 0))
            SW_LOG_LOOK_FAILURE(L"PostMessageW", GetLastError());
        break;
    case kRefitPreviews:
        if (m_ready)
            ShowProposals();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TIDY_DUPLICATES:
        case IDC_TIDY_COVERED:
        case IDC_TIDY_FOLD:
            if (HIWORD(wParam) == BN_CLICKED && m_ready) {
                ReadChoice();
                ShowTotal();
            }
            return TRUE;
        case IDC_TIDY_THRESHOLD:
            if (HIWORD(wParam) == EN_CHANGE && m_ready) {
                BOOL read = FALSE;
                const UINT value = GetDlgItemInt(window, IDC_TIDY_THRESHOLD, &read, FALSE);
                if (read && value >= kThresholdMin && value <= kThresholdMax &&
                    static_cast<int>(value) != m_input.foldThreshold) {
                    m_input.foldThreshold = static_cast<int>(value);
                    Propose();
                    ShowProposals();
                }
            }
            return TRUE;
        case IDOK:
            ReadChoice();
            EndDialog(window, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void CTidyDialog::Propose() {
    m_proposals = ProposeTidy(m_input);
}

void CTidyDialog::ReadChoice() {
    for (size_t group = 0; group < kTidyGroupCount; ++group)
        m_choice[group] = IsDlgButtonChecked(m_window, kGroups[group].check) == BST_CHECKED;
}

void CTidyDialog::ShowProposals() {
    for (size_t group = 0; group < kTidyGroupCount; ++group) {
        const TidyProposal& proposal = m_proposals[group];
        SetDlgItemTextW(m_window, kGroups[group].saves,
                        proposal.changes.empty()
                            ? L"nothing to do"
                            : SavingsText(proposal.entriesSaved, proposal.bytesSaved).c_str());
        const HWND list = GetDlgItem(m_window, kGroups[group].list);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        const size_t shown = std::min(proposal.changes.size(), kPreviewLines);
        int widest = 0;
        const HDC dc = GetDC(list);
        const HGDIOBJ font =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
        // A fold names as many of its addresses as the box shows without
        // scrolling, beside a scroll bar once the lines need one.
        RECT client = {};
        GetClientRect(list, &client);
        const int rowHeight =
            std::max(1, static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)));
        int room = client.right - client.left - kTextMargin;
        if (!(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) &&
            static_cast<int>(shown) > (client.bottom - client.top) / rowHeight)
            room -= SystemMetricForWindow(list, SM_CXVSCROLL);
        const auto fits = [&](std::wstring_view line) {
            SIZE extent = {};
            return GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &extent) &&
                   extent.cx <= room;
        };
        for (size_t i = 0; i <= shown; ++i) {
            std::wstring line;
            if (i < shown)
                line = DescribeTidyChange(static_cast<TidyGroup>(group), proposal.changes[i], fits);
            else if (proposal.changes.size() > shown)
                line = L"\u2026 and " + GroupedNumber(proposal.changes.size() - shown) + L" more";
            else
                break;
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SIZE extent = {};
            if (GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent))
                widest = std::max(widest, static_cast<int>(extent.cx));
        }
        SelectObject(dc, font);
        ReleaseDC(list, dc);
        // Long folds scroll sideways rather than being cut off.
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest) + 8, 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    ShowTotal();
}

void CTidyDialog::ShowTotal() {
    size_t entries = 0;
    size_t bytes = 0;
    for (size_t group = 0; group < kTidyGroupCount; ++group) {
        if (!m_choice[group])
            continue;
        entries += m_proposals[group].entriesSaved;
        bytes += m_proposals[group].bytesSaved;
    }
    ListCapacity after;
    after.entries = m_storedEntries > entries ? m_storedEntries - entries : 0;
    after.bytes = (m_storedBytes > bytes ? m_storedBytes - bytes : 0) + m_otherBytes;
    const std::wstring text = entries == 0
                                  ? L"Nothing chosen changes the list."
                                  : L"The chosen changes save " + SavingsText(entries, bytes) +
                                        L"; the list would then hold " + after.Text() + L".";
    SetDlgItemTextW(m_window, IDC_TIDY_TOTAL, text.c_str());
}

} // namespace sw
