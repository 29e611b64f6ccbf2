#include "manager/history_edits.h"

#include "store/list_capacity.h"

#include <algorithm>

namespace sw {
namespace {

std::wstring Counted(size_t count, const wchar_t* one, const wchar_t* many) {
    return GroupedNumber(count) + L" " + (count == 1 ? one : many);
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
        if (shown.pending != Pending::None)
            return action.command + L" (undone on OK)";
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
    std::vector<std::wstring> removed = list.RemoveEntries(entries);
    // Marked only once the list has changed: nothing above is half done.
    for (Row* row : chosen)
        row->pending = restore ? Pending::UnblockAndRestore : Pending::Unblock;
    const size_t count = removed.size();
    m_removed.insert(m_removed.end(), std::make_move_iterator(removed.begin()),
                     std::make_move_iterator(removed.end()));
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

std::wstring HistoryReport(size_t entriesRemoved, bool restoring, const RestoreReport& restored) {
    std::wstring text =
        entriesRemoved == 0
            ? std::wstring(L"No entries removed: they were no longer on the Blocked Senders list.")
            : Counted(entriesRemoved, L"entry", L"entries") +
                  L" removed from the Blocked Senders list.";
    if (!restoring)
        return text;
    if (restored.restored == 0 && restored.notFound == 0)
        return text + L" No messages to move back.";
    text += restored.restored == 0
                ? std::wstring(L" No messages moved back")
                : L" " + Counted(restored.restored, L"message", L"messages") + L" moved back";
    if (restored.notFound > 0)
        text += L", " + GroupedNumber(restored.notFound) + L" not found in Junk E-mail";
    return text + L".";
}

} // namespace sw
