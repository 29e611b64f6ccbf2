// The History page's logic: the recorded runs, newest first, and what the
// user has chosen to undo before OK. No window is involved; the page maps
// rows and buttons onto these calls.
#pragma once

#include "manager/blocked_senders_list.h"
#include "store/history.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sw {

enum class HistoryColumn { Time, Command, Entries, Messages };

class HistoryEdits {
public:
    // Takes the actions in file order (oldest first), their messages counted
    // but not needed (LoadHistorySummaries), and shows them newest first.
    void Load(std::vector<HistoryAction> actions);

    size_t RowCount() const noexcept { return m_rows.size(); }
    const HistoryAction& Action(size_t row) const { return m_rows[row].action; }
    std::wstring CellText(size_t row, HistoryColumn column) const;
    // Every entry of the runs on `rows`, in full, one run to a line ("\r\n"
    // between runs, ", " between entries), in row order; rows out of range
    // are skipped. What the line under the list shows of the selection.
    std::wstring EntriesText(std::span<const int> rows) const;

    // Whether the buttons have anything to do for these rows: "Unblock" for
    // a row not undone yet, "Unblock and Restore" also for one only unblocked
    // so far. Undone runs are done with: their entries may have been blocked
    // again since, by a later run that shows them itself.
    bool CanUnblock(std::span<const int> rows, bool restore) const;
    // Removes the entries of those rows' runs that are still on `list`, each
    // only in the letter case its run wrote it (an entry the list holds in
    // another letter case stays: the run did not make it), and marks the
    // runs to be undone (and their messages to be moved back with
    // `restore`) at OK. Answers the number of entries removed.
    size_t Unblock(std::span<const int> rows, bool restore, BlockedSendersList& list);

    // What OK has to do.
    bool HasEdits() const noexcept;
    std::vector<std::uint64_t> UndoneIds() const;
    // The runs whose messages are to be moved back.
    std::vector<std::uint64_t> RestoreIds() const;
    // Every entry removed from the list, as the list held it.
    const std::vector<std::wstring>& RemovedEntries() const noexcept { return m_removed; }
    // Entries kept in place of a removed run's entry of the same address, or
    // left because the list holds the run's entry only in another letter case.
    const std::vector<std::wstring>& KeptEntries() const noexcept { return m_kept; }

private:
    enum class Pending { None, Unblock, UnblockAndRestore };
    struct Row {
        HistoryAction action;
        Pending pending = Pending::None;
    };
    bool Eligible(const Row& row, bool restore) const noexcept;

    std::vector<Row> m_rows;
    std::vector<std::wstring> m_removed;
    std::vector<std::wstring> m_kept;
};

// The message after OK: "2 entries removed from the Blocked Senders list.
// 5 messages moved back. 1 no longer in Junk E-mail." The entries kept are
// named; what became of the messages only when they were to be restored,
// each outcome with a count above zero.
std::wstring HistoryReport(size_t entriesRemoved, std::span<const std::wstring> kept,
                           bool restoring, const RestoreReport& restored);

} // namespace sw
