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
    const std::vector<std::wstring>& removed = edits.RemovedEntries();
    std::erase_if(g_blockedSinceLoad, [&](const std::wstring& added) {
        return std::any_of(removed.begin(), removed.end(), [&](const std::wstring& entry) {
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
    ShowUserMessage(HistoryReport(removed.size(), !toRestore.empty(), report),
                    MessageIcon::Information);
}

} // namespace sw
