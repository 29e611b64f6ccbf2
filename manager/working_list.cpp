#include "manager/working_list.h"

#include "manager/entry_order.h"
#include "platform/user_message.h"
#include "store/list_capacity.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <algorithm>

namespace sw {

void WorkingList::Load() {
    if (m_loaded)
        return;
    m_loaded = true;
    LoadedBlockedList loaded = m_preload.Take();
    if (loaded.read) {
        m_readFailed = false;
        m_list = std::move(loaded.list);
    } else {
        std::wstring stored;
        const Outcome read = ReadProfileList(m_profile, ProfileListKind::Blocked, stored);
        ShowOutcome(read);
        m_readFailed = !read;
        m_list.Load(m_readFailed ? std::wstring() : stored);
    }
    if (loaded.safeRead) {
        m_safeBytes = loaded.safeBytes;
    } else if (!m_readFailed) {
        std::wstring safe;
        const Outcome read = ReadProfileList(m_profile, ProfileListKind::Safe, safe);
        ShowOutcome(read);
        if (read)
            m_safeBytes = StoredListBytes(safe);
    }
}

bool WorkingList::Save() {
    if (!m_loaded || m_readFailed || !m_list.Modified())
        return true;
    const Outcome write = WriteProfileList(m_profile, m_list.ListText(), g_host.newBlockedEntries);
    ShowOutcome(write);
    if (!write)
        return false;
    // The commands put this session's additions back into the list when
    // they next write it and when Outlook closes: an addition the user has
    // removed, edited or tidied away here must not come back that way.
    const std::vector<std::wstring>& kept = m_list.Entries(); // sorted under the entry order
    std::erase_if(g_host.blockedSinceLoad, [&](const std::wstring& added) {
        return !std::binary_search(kept.begin(), kept.end(), added, AsciiCaseLess{});
    });
    return true;
}

} // namespace sw
