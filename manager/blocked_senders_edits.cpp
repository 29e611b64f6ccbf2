// The Blocked Senders page's buttons that change the working list: Remove,
// Edit, Convert to Domain, Tidy and Import; and Export, which writes it out.
#include "manager/blocked_senders_page.h"

#include "manager/email_address_dialog.h"
#include "manager/file_chooser.h"
#include "manager/list_transfer.h"
#include "manager/list_view_selection.h"
#include "manager/tidy_dialog.h"
#include "platform/user_message.h"
#include "store/profile_store.h"

namespace sw {

void CBlockedSendersPage::OnRemove() {
    const std::vector<int> rows = SelectedListViewRows(m_listView);
    if (rows.empty() || !List().RemoveRows(rows))
        return;
    ShowEdit();
    SelectRowInPlace(m_listView, rows.front());
}

void CBlockedSendersPage::OnTidy() {
    // Folding must know the Safe Senders list; without it Tidy proposes
    // nothing, after telling the user why.
    std::wstring safe;
    if (const Outcome read = ReadProfileList(m_working.Profile(), ProfileListKind::Safe, safe);
        !read) {
        ShowOutcome(read);
        return;
    }
    TidyInput input;
    input.entries = &List().Entries();
    input.duplicates = &List().Duplicates();
    input.safeSenders = std::move(safe);
    input.safeDomains = m_settings.safeDomains;
    input.safeDomainsOn = m_settings.hasSafeDomains;
    CTidyDialog dialog(std::move(input), List().StoredBytes(), List().StoredEntries(),
                       m_working.SafeBytes());
    if (dialog.DoModal(GetParent(m_window)) != IDOK || !dialog.ChangesAnything())
        return;
    const TidyChoice& chosen = dialog.choice();
    List().ReplaceEntries(ApplyTidy(List().Entries(), dialog.proposals(), chosen),
                          chosen[static_cast<size_t>(TidyGroup::CaseDuplicates)]);
    ShowEdit();
}

void CBlockedSendersPage::OnImport() {
    std::wstring path;
    if (!ChooseListFile(GetParent(m_window), FileChoice::Open, path))
        return;
    ImportedLines imported;
    std::wstring error;
    if (!ImportListFile(path, imported, error)) {
        ShowUserMessage(error, MessageIcon::Warning);
        return;
    }
    const size_t offered = imported.entries.size();
    const size_t added = List().MergeEntries(std::move(imported.entries));
    if (added > 0)
        ShowEdit();
    ShowUserMessage(ImportReport(added, offered - added, imported.skipped),
                    MessageIcon::Information);
}

void CBlockedSendersPage::OnExport() {
    std::wstring path;
    if (!ChooseListFile(GetParent(m_window), FileChoice::Save, path))
        return;
    std::wstring error;
    if (!ExportListFile(path, List().Shown(), error))
        ShowUserMessage(error, MessageIcon::Warning);
}

void CBlockedSendersPage::OnEdit() {
    const int row = ListView_GetNextItem(m_listView, -1, LVNI_SELECTED);
    const std::vector<std::wstring>& shown = List().Shown();
    if (row < 0 || static_cast<size_t>(row) >= shown.size()) {
        ShowUserMessage(L"Select an Email address first.", MessageIcon::Information);
        return;
    }
    CEmailAddressDialog dialog;
    dialog.m_text = shown[static_cast<size_t>(row)];
    const std::wstring oldText = dialog.m_text;
    if (dialog.DoModal(GetParent(m_window)) != IDOK)
        return;
    if (List().EditEntry(oldText, std::move(dialog.m_text)))
        ShowEdit();
}

void CBlockedSendersPage::OnConvertToDomain() {
    const std::vector<int> rows = SelectedListViewRows(m_listView);
    if (!rows.empty() && List().ConvertRowsToDomain(rows))
        ShowEdit();
}

} // namespace sw
