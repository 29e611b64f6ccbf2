#include "manager/history_commit.h"

#include "manager/entry_order.h"
#include "platform/user_message.h"
#include "store/state.h"

#include <algorithm>

namespace sw {

void CommitHistoryEdits(const HistoryEdits& edits, MessageRestorer* restorer) {
    if (!edits.HasEdits())
        return;
    // The commands put this session's additions back into the list when
    // they next write it and when Outlook closes; an entry unblocked here
    // must not come back that way.
    // An entry kept in another letter case is not this session's to take.
    const std::vector<std::wstring>& removed = edits.RemovedEntries();
    const std::vector<std::wstring>& kept = edits.KeptEntries();
    std::erase_if(g_host.blockedSinceLoad, [&](const std::wstring& added) {
        return std::find(kept.begin(), kept.end(), added) == kept.end() &&
               std::any_of(removed.begin(), removed.end(), [&](const std::wstring& entry) {
                   return CompareIgnoringAsciiCase(entry, added) == 0;
               });
    });

    // The page listed the runs without their messages; those to restore are
    // read in full now.
    const std::vector<std::uint64_t> toRestore = edits.RestoreIds();
    RestoreReport report;
    if (!toRestore.empty() && restorer)
        report = restorer->Restore(LoadHistoryActions(toRestore));
    // A failure is logged; the runs then stay as they were in the history.
    static_cast<void>(MarkHistoryUndone(edits.UndoneIds()));
    ShowUserMessage(HistoryReport(removed.size(), kept, !toRestore.empty(), report),
                    MessageIcon::Information);
}

} // namespace sw
