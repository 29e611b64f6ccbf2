#include "manager/history_edits.h"

#include "manager/entry_order.h"
#include "store/list_capacity.h"

#include <algorithm>

namespace sw {
namespace {

std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* many) {
    return GroupedNumber(count) + L" " + (count == 1 ? one : many);
}

struct TakenEntries {
    std::vector<std::wstring> removed; // the runs' own texts, gone from the list
    std::vector<std::wstring> kept;    // entries of other letter case, left listed
};

// Takes the runs' entries `texts` off `list`, each only in the letter case
// the run wrote it. The list holds entries that differ in letter case alone
// as one (the first stored; the others are its copies): any text of such a
// group that no run being undone wrote is someone else's, made by hand
// before the run or after it, and stays listed in place of the run's own.
TakenEntries TakeRunEntries(BlockedSendersList& list, std::vector<std::wstring> texts) {
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    const auto ranOwn = [&](const std::wstring& text) {
        return std::binary_search(texts.begin(), texts.end(), text);
    };
    // The stored copies by the order, so that each group is found at once.
    const std::vector<std::wstring>& copies = list.Duplicates();
    std::vector<const std::wstring*> sortedCopies;
    sortedCopies.reserve(copies.size());
    for (const std::wstring& copy : copies)
        sortedCopies.push_back(&copy);
    std::stable_sort(sortedCopies.begin(), sortedCopies.end(),
                     [](const std::wstring* a, const std::wstring* b) {
                         return CompareIgnoringAsciiCase(*a, *b) < 0;
                     });

    const std::vector<std::wstring>& entries = list.Entries();
    TakenEntries taken;
    std::vector<std::wstring> shownToRemove; // the listed entries of the groups that change
    std::vector<std::wstring> promoted;      // someone else's copies listed in their place
    bool copyDropped = false;                // a run's text among the copies goes
    std::vector<const std::wstring*> groupsDone;
    for (const std::wstring& text : texts) {
        const auto shown = std::lower_bound(entries.begin(), entries.end(), text, AsciiCaseLess{});
        if (shown == entries.end() || CompareIgnoringAsciiCase(*shown, text) != 0)
            continue; // no longer listed in any letter case
        if (std::find(groupsDone.begin(), groupsDone.end(), &*shown) != groupsDone.end())
            continue; // the group of an earlier text of these runs
        groupsDone.push_back(&*shown);
        // The group: the listed entry first, then its copies in stored order.
        std::vector<const std::wstring*> group = {&*shown};
        for (auto copy = std::lower_bound(sortedCopies.begin(), sortedCopies.end(), text,
                                          [](const std::wstring*a, const std::wstring&b) {
                                              return CompareIgnoringAsciiCase(*a, b) < 0;
                                          });
             copy != sortedCopies.end() && CompareIgnoringAsciiCase(**copy, text) == 0; ++copy)
            group.push_back(*copy);
        const std::wstring* other = nullptr;
        bool anyOwn = false;
        for (const std::wstring* member : group) {
            if (ranOwn(*member)) {
                anyOwn = true;
                if (std::find(taken.removed.begin(), taken.removed.end(), *member) ==
                    taken.removed.end())
                    taken.removed.push_back(*member);
            } else if (!other) {
                other = member;
            }
        }
        if (other)
            taken.kept.push_back(*other);
        if (!anyOwn)
            continue;
        if (!other) {
            shownToRemove.push_back(*shown);
        } else if (other != &*shown) {
            shownToRemove.push_back(*shown);
            promoted.push_back(*other);
        } else {
            copyDropped = true;
        }
    }
    // Nothing below can fail half-way in a way that loses an entry: the
    // groups go first, and someone else's copies come back into their place.
    list.RemoveEntries(shownToRemove);
    list.MergeEntries(std::move(promoted));
    // The run's text was only a copy, which a list written anew drops.
    if (copyDropped && !list.Modified())
        list.ReplaceEntries(list.Entries(), false);
    return taken;
}

std::wstring LocalTimeText(const SYSTEMTIME& time) {
    wchar_t date[64] = {};
    wchar_t clock[64] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64) ||
        !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 64))
        return {};
    return std::wstring(date) + L" " + clock;
}

} // namespace

void HistoryEdits::Load(std::vector<HistoryAction> actions) {
    m_rows.clear();
    m_removed.clear();
    m_kept.clear();
    m_rows.reserve(actions.size());
    for (auto action = actions.rbegin(); action != actions.rend(); ++action)
        m_rows.push_back({std::move(*action), Pending::None});
}

std::wstring HistoryEdits::CellText(size_t row, HistoryColumn column) const {
    if (row >= m_rows.size())
        return {};
    const Row& shown = m_rows[row];
    const HistoryAction& action = shown.action;
    switch (column) {
    case HistoryColumn::Time:
        return LocalTimeText(action.time);
    case HistoryColumn::Command:
        if (action.undone)
            return action.command + L" (undone)";
        // Kept short: marked, the column must still leave the page's list
        // room for Time, Messages and the Entries heading at 96 DPI.
        if (shown.pending != Pending::None)
            return action.command + L" (to undo)";
        return action.command;
    case HistoryColumn::Entries: {
        std::wstring text;
        for (const std::wstring& entry : action.entries) {
            if (!text.empty())
                text += L", ";
            text += entry;
            if (text.size() > 256)
                break; // more than the column can show
        }
        return text;
    }
    case HistoryColumn::Messages:
        return GroupedNumber(action.messageCount);
    }
    return {};
}

std::wstring HistoryEdits::EntriesText(std::span<const int> rows) const {
    std::wstring text;
    bool first = true;
    for (int row : rows) {
        if (row < 0 || static_cast<size_t>(row) >= m_rows.size())
            continue;
        if (!first)
            text += L"\r\n";
        first = false;
        const std::vector<std::wstring>& entries = m_rows[static_cast<size_t>(row)].action.entries;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i > 0)
                text += L", ";
            text += entries[i];
        }
    }
    return text;
}

bool HistoryEdits::Eligible(const Row& row, bool restore) const noexcept {
    if (row.action.undone)
        return false;
    return row.pending == Pending::None || (restore && row.pending == Pending::Unblock);
}

bool HistoryEdits::CanUnblock(std::span<const int> rows, bool restore) const {
    return std::any_of(rows.begin(), rows.end(), [&](int row) {
        return row >= 0 && static_cast<size_t>(row) < m_rows.size() &&
               Eligible(m_rows[static_cast<size_t>(row)], restore);
    });
}

size_t HistoryEdits::Unblock(std::span<const int> rows, bool restore, BlockedSendersList& list) {
    std::vector<std::wstring> entries;
    std::vector<Row*> chosen;
    for (int row : rows) {
        if (row < 0 || static_cast<size_t>(row) >= m_rows.size())
            continue;
        Row& picked = m_rows[static_cast<size_t>(row)];
        if (!Eligible(picked, restore) ||
            std::find(chosen.begin(), chosen.end(), &picked) != chosen.end())
            continue;
        chosen.push_back(&picked);
        entries.insert(entries.end(), picked.action.entries.begin(), picked.action.entries.end());
    }
    TakenEntries taken = TakeRunEntries(list, std::move(entries));
    // Marked only once the list has changed: nothing above is half done.
    for (Row* row : chosen)
        row->pending = restore ? Pending::UnblockAndRestore : Pending::Unblock;
    const size_t count = taken.removed.size();
    m_removed.insert(m_removed.end(), std::make_move_iterator(taken.removed.begin()),
                     std::make_move_iterator(taken.removed.end()));
    for (std::wstring& kept : taken.kept) {
        if (std::find(m_kept.begin(), m_kept.end(), kept) == m_kept.end())
            m_kept.push_back(std::move(kept));
    }
    return count;
}

bool HistoryEdits::HasEdits() const noexcept {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const Row& row) { return row.pending != Pending::None; });
}

std::vector<std::uint64_t> HistoryEdits::UndoneIds() const {
    std::vector<std::uint64_t> ids;
    for (const Row& row : m_rows) {
        if (row.pending != Pending::None)
            ids.push_back(row.action.id);
    }
    return ids;
}

std::vector<std::uint64_t> HistoryEdits::RestoreIds() const {
    std::vector<std::uint64_t> ids;
    for (const Row& row : m_rows) {
        if (row.pending == Pending::UnblockAndRestore)
            ids.push_back(row.action.id);
    }
    return ids;
}

std::wstring HistoryReport(size_t entriesRemoved, std::span<const std::wstring> kept,
                           bool restoring, const RestoreReport& restored) {
    std::wstring text;
    if (entriesRemoved > 0)
        text = Counted(entriesRemoved, L"entry", L"entries") +
               L" removed from the Blocked Senders list.";
    else if (kept.empty())
        text = L"No entries removed: they were no longer on the Blocked Senders list.";
    else
        text = L"No entries removed from the Blocked Senders list.";
    if (!kept.empty()) {
        constexpr size_t kNamed = 10; // as many as a message box shows well
        text += L" Kept, not added by the undone runs in this letter case: ";
        for (size_t i = 0; i < kept.size() && i < kNamed; ++i)
            text += (i > 0 ? L", " : L"") + kept[i];
        if (kept.size() > kNamed)
            text += L" and " + GroupedNumber(kept.size() - kNamed) + L" more";
        text += L".";
    }
    if (!restoring)
        return text;
    if (restored.Total() == 0)
        return text + L" No messages to move back.";
    text += restored.restored == 0
                ? std::wstring(L" No messages moved back.")
                : L" " + Counted(restored.restored, L"message", L"messages") + L" moved back.";
    if (restored.notInJunk > 0)
        text += L" " + GroupedNumber(restored.notInJunk) + L" no longer in Junk E-mail.";
    if (restored.folderGone > 0)
        text +=
            L" " + GroupedNumber(restored.folderGone) +
            (restored.folderGone == 1 ? L" left in Junk E-mail: its folder no longer exists."
                                      : L" left in Junk E-mail: their folders no longer exist.");
    if (restored.notMoved > 0)
        text += L" " + GroupedNumber(restored.notMoved) +
                L" not moved back: Outlook refused, or the restore was stopped.";
    return text;
}

} // namespace sw
