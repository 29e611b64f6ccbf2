#include "commands/new_mail.h"

#include "commands/junk_mover.h"
#include "commands/sender_address.h"
#include "commands/smtp_address.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/ascii_case.h"
#include "platform/diagnostics.h"
#include "platform/text_format.h"
#include "store/history.h"
#include "store/list_index.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace sw {
namespace {

std::wstring_view Trimmed(std::wstring_view text) noexcept {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

// Finds a new message by its EntryID in whichever store of the profile it
// arrived in. The store where the last one outside the default store was
// found (g_host.newMailStoreId) is asked first, then the default store
// (GetItemFromID without a StoreID), then, from Outlook 2007 on, each other
// store that receives the user's mail, with its StoreID. The stores are
// listed once per event, and only when an id needs them. Public folders and
// other users' mailboxes (delegate stores, and a store whose type cannot be
// read) are not looked in: what arrives there is not the user's new mail and
// not the user's to move. The default store is among those listed and is
// asked again with its StoreID: telling it apart would cost as many calls.
class ItemFinder {
public:
    explicit ItemFinder(IDispatch* ns) noexcept : m_ns(ns) {}

    // The item, or null when no store has it (any more).
    Dispatch Find(std::wstring_view entryId) {
        const unique_variant id = unique_variant::FromText(std::wstring(entryId));
        std::wstring& remembered = g_host.newMailStoreId;
        if (!remembered.empty()) {
            if (Dispatch item = InStore(id, remembered))
                return item;
        }
        if (Dispatch item = FindObject(m_ns, L"GetItemFromID", {&id.get()})) {
            remembered.clear();
            return item;
        }
        if (!g_host.capabilities.namespaceStores)
            return nullptr;
        for (const std::wstring& storeId : ReceivingStores()) {
            if (EqualsIgnoringAsciiCase(storeId, remembered))
                continue; // asked first, above
            if (Dispatch item = InStore(id, storeId)) {
                remembered = storeId;
                return item;
            }
        }
        return nullptr;
    }

private:
    Dispatch InStore(const unique_variant& id, const std::wstring& storeId) {
        const unique_variant store = unique_variant::FromText(storeId);
        return FindObject(m_ns, L"GetItemFromID", {&id.get(), &store.get()});
    }

    // The StoreIDs of the stores that receive the user's mail; a store the
    // host fails on is left out, the others still count.
    const std::vector<std::wstring>& ReceivingStores() {
        if (m_stores)
            return *m_stores;
        m_stores.emplace();
        const Dispatch stores = FindObject(m_ns, L"Stores");
        const LONG count = stores ? GetCount(stores.get()) : 0;
        for (LONG i = 1; i <= count; ++i) {
            const unique_variant index = unique_variant::FromLong(i);
            const Dispatch store = FindObject(stores.get(), L"Item", {&index.get()});
            if (!store)
                continue;
            const std::optional<LONG> type = FindLong(store.get(), L"ExchangeStoreType");
            if (!type || *type == kDelegateMailboxStore || *type == kPublicFoldersStore)
                continue;
            std::wstring storeId = GetText(store.get(), L"StoreID");
            if (!storeId.empty())
                m_stores->push_back(std::move(storeId));
        }
        return *m_stores;
    }

    IDispatch* m_ns;
    std::optional<std::vector<std::wstring>> m_stores; // listed at the first need
};

// One event's messages. What only a match needs (the Safe Senders list,
// Junk E-mail) is fetched at the first match.
class NewMailRun {
public:
    explicit NewMailRun(IDispatch* ns) noexcept : m_ns(ns), m_finder(ns) {}

    void Handle(std::wstring_view entryId) {
        const Dispatch item = m_finder.Find(entryId);
        if (!item)
            return; // gone already: the junk filter or a rule moved it
        const Dispatch mail = QueryDispatch(item.get(), kIidMailItem);
        if (!mail)
            return;
        const std::wstring sender = SenderSmtpAddress(mail.get());
        if (sender.empty() || !IsListableAddress(sender))
            return;
        std::wstring entry = g_host.newBlockedEntries.Match(sender);
        if (entry.empty())
            return;
        if (!PrepareForMatches() || m_safe->Contains(sender) ||
            m_safe->Contains(DomainOfAddress(sender)))
            return;
        // A message in Junk E-mail already (the filter was quicker) is not
        // moved again, nor noted.
        if (!m_mover->Move(mail.get()))
            return;
        ++m_moved;
        if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end())
            m_entries.push_back(std::move(entry));
    }

    size_t moved() const noexcept { return m_moved; }

    // Notes the run in the history when it moved anything.
    void Record() noexcept {
        if (m_moved == 0)
            return;
        try {
            HistoryAction action;
            action.command = kNewMailCommand;
            action.entries = std::move(m_entries);
            action.messages = std::move(m_messages);
            // A failure is in the diagnostics log; the moves themselves stand.
            static_cast<void>(RecordHistoryAction(std::move(action)));
        } catch (...) {
            SW_LOG_CAUGHT();
        }
    }

private:
    // The Safe Senders list and Junk E-mail, once; false when either cannot
    // be had, and then no message moves.
    bool PrepareForMatches() {
        if (m_prepared)
            return m_ready;
        m_prepared = true;
        // New mail shows nothing: a failed read is only recorded.
        std::wstring safe;
        if (const Outcome read = ReadProfileList(g_host.Profile(), ProfileListKind::Safe, safe);
            !read) {
            SW_LOG_OUTCOME(read);
            return false;
        }
        m_safe.emplace(std::move(safe), ListMatch::IgnoringAsciiCase);
        m_junk = JunkFolderOf(m_ns);
        m_mover.emplace(m_junk.get(), m_messages, m_stayed);
        m_ready = true;
        return true;
    }

    IDispatch* m_ns;
    ItemFinder m_finder;
    bool m_prepared = false;
    bool m_ready = false;
    std::optional<CListIndex> m_safe;
    Dispatch m_junk;
    std::vector<MovedMessage> m_messages;
    StayedMessages m_stayed; // new mail in other people's stores says nothing
    std::optional<JunkMover> m_mover;
    std::vector<std::wstring> m_entries;
    size_t m_moved = 0;
};

void LogSummary(size_t ids, size_t moved, ULONGLONG started) noexcept {
    if (CurrentLogLevel() != LogLevel::Commands)
        return;
    try {
        LogCommandSummary(FormatText(L"%ls: %zu items, %zu moved, %llu ms", kNewMailCommand, ids,
                                     moved, GetTickCount64() - started));
    } catch (...) {
        // Out of memory while composing the summary: it goes unrecorded.
    }
}

} // namespace

size_t MoveNewMailFromBlockedSenders(std::wstring_view entryIds) noexcept {
    // Nothing the filter does not know: the filter deals with every sender.
    if (!g_settings.moveNewMail || g_host.newBlockedEntries.empty() || !HostApp())
        return 0;
    const ULONGLONG started = GetTickCount64();
    size_t ids = 0;
    size_t moved = 0;
    try {
        const unique_variant mapi = unique_variant::FromText(L"MAPI");
        const Dispatch ns = CallForObject(HostApp(), L"GetNamespace", {&mapi.get()});
        NewMailRun run(ns.get());
        while (!entryIds.empty()) {
            const size_t comma = entryIds.find(L',');
            const std::wstring_view id = Trimmed(entryIds.substr(0, comma));
            entryIds.remove_prefix(comma == std::wstring_view::npos ? entryIds.size() : comma + 1);
            if (id.empty())
                continue;
            ++ids;
            try {
                run.Handle(id);
            } catch (const HostError&) {
                // That message stays where it is; the others are still handled.
                SW_LOG_CAUGHT();
            }
        }
        moved = run.moved();
        run.Record();
    } catch (...) {
        SW_LOG_CAUGHT();
    }
    LogSummary(ids, moved, started);
    return moved;
}

} // namespace sw
