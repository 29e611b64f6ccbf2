#include "bench/list_work.h"

#include "bench/timing.h"
#include "commands/sender_address.h"
#include "store/list_index.h"
#include "store/list_text.h"
#include "store/settings.h"

#include <optional>

namespace sw::bench {

ListWorkResult IndexedListWork(const ListWorkInput& input) {
    std::wstring stored = input.stored;
    std::wstring safeText = input.safe;
    ListWorkResult result;

    Stopwatch setup;
    CListIndex blocked(std::move(stored));
    blocked.AppendMissing(input.sinceLoad);
    const CListIndex safe(std::move(safeText));
    std::optional<CListIndex> safeDomains;
    if (input.domains && g_settings.hasSafeDomains)
        safeDomains.emplace(g_settings.safeDomains + L";");
    result.setupMs = setup.Milliseconds();

    Stopwatch items;
    for (const std::wstring& sender : input.senders) {
        const std::wstring domain = DomainOfAddress(sender);
        if (sender.empty() || domain.empty() || !IsListableAddress(sender))
            continue;
        if (safe.Contains(sender) || safe.Contains(domain))
            continue;
        const std::wstring& entry =
            !input.domains || (safeDomains && safeDomains->Contains(domain)) ? sender : domain;
        if (!blocked.Contains(entry)) {
            blocked.Append(entry);
            ++result.appended;
        }
    }
    result.itemsMs = items.Milliseconds();
    result.list = blocked.Text();
    return result;
}

ListWorkResult ReferenceListWork(const ListWorkInput& input) {
    std::wstring blocked = input.stored;
    const std::wstring& safe = input.safe;
    ListWorkResult result;

    Stopwatch setup;
    AppendMissing(blocked, input.sinceLoad);
    result.setupMs = setup.Milliseconds();

    Stopwatch items;
    for (const std::wstring& sender : input.senders) {
        const std::wstring domain = DomainOfAddress(sender);
        if (sender.empty() || domain.empty() || !IsListableAddress(sender))
            continue;
        if (ListContains(sender, safe) || ListContains(domain, safe))
            continue;
        const std::wstring& entry =
            !input.domains || (g_settings.hasSafeDomains &&
                               ListContains(domain, g_settings.safeDomains + L";"))
                ? sender
                : domain;
        if (!ListContains(entry, blocked)) {
            blocked.append(entry).push_back(L';');
            ++result.appended;
        }
    }
    result.itemsMs = items.Milliseconds();
    result.list = std::move(blocked);
    return result;
}

} // namespace sw::bench
