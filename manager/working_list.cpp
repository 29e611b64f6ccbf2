#include "manager/working_list.h"

#include "platform/user_message.h"
#include "store/list_capacity.h"
#include "store/profile_store.h"

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
        m_readFailed = !ReadProfileList(stored, ProfileListKind::Blocked);
        m_list.Load(m_readFailed ? std::wstring() : stored);
    }
    if (loaded.safeRead) {
        m_safeBytes = loaded.safeBytes;
    } else if (!m_readFailed) {
        std::wstring safe;
        if (ReadProfileList(safe, ProfileListKind::Safe))
            m_safeBytes = StoredListBytes(safe);
    }
}

bool WorkingList::Save() {
    if (!m_loaded || m_readFailed || !m_list.Modified())
        return true;
    // The store tells the user of a failed write itself, and answers nothing.
    const unsigned long shown = ShownMessageCount();
    WriteProfileList(m_list.ListText(), ProfileListKind::Blocked);
    return ShownMessageCount() == shown;
}

} // namespace sw
