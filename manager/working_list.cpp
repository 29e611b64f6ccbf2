#include "manager/working_list.h"

#include "manager/entry_order.h"
#include "platform/user_message.h"
#include "store/list_capacity.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <algorithm>
#include <iterator>

namespace sw {

namespace {

// The texts sorted exactly (letter case significant), for set differences.
std::vector<std::wstring> SortedExactly(std::vector<std::wstring> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

} // namespace

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
    std::vector<std::wstring> texts = m_list.Entries();
    texts.insert(texts.end(), m_list.Duplicates().begin(), m_list.Duplicates().end());
    m_loadedTexts = SortedExactly(std::move(texts));
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
    // What the user changed, told text by text from what the list held when
    // it was loaded: a list written anew keeps one letter case of each entry,
    // so the copies it passes over count as removed, as they always have.
    const std::vector<std::wstring> edited = SortedExactly(m_list.Entries());
    std::vector<std::wstring> removed;
    std::set_difference(m_loadedTexts.begin(), m_loadedTexts.end(), edited.begin(), edited.end(),
                        std::back_inserter(removed));
    std::vector<std::wstring> added;
    std::set_difference(edited.begin(), edited.end(), m_loadedTexts.begin(), m_loadedTexts.end(),
                        std::back_inserter(added));

    // A command may have written the list while the sheet was open (it is
    // modal to one explorer window only): the edits go onto the list as it
    // is stored now, and what arrived meanwhile stays. Without that list
    // nothing is written.
    std::wstring stored;
    const Outcome read = ReadProfileList(m_profile, ProfileListKind::Blocked, stored);
    if (!read) {
        ShowOutcome(read);
        return false;
    }
    BlockedSendersList result;
    result.Load(ListWithout(stored, removed));
    result.MergeEntries(std::move(added));
    const Outcome write = WriteProfileList(m_profile, result.ListText(), g_host.newBlockedEntries,
                                           g_host.blockedSinceLoad);
    ShowOutcome(write);
    if (!write)
        return false;
    // The commands put this session's additions back into the list when
    // they next write it and when Outlook closes: an addition the user has
    // removed, edited or tidied away here must not come back that way. One
    // made while the sheet was open is in the list written, and stays.
    const std::vector<std::wstring>& written = result.Entries(); // sorted under the entry order
    std::erase_if(g_host.blockedSinceLoad, [&](const std::wstring& entry) {
        return !std::binary_search(written.begin(), written.end(), entry, AsciiCaseLess{});
    });
    m_list = std::move(result);
    m_loadedTexts = SortedExactly(m_list.Entries());
    return true;
}

} // namespace sw
