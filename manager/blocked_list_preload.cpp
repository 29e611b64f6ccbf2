#include "manager/blocked_list_preload.h"

#include "platform/diagnostics.h"
#include "store/list_capacity.h"
#include "store/profile_store.h"

namespace sw {

LoadedBlockedList LoadBlockedList(const MailProfile& profile) noexcept {
    LoadedBlockedList loaded;
    try {
        // A failure is not told here: the page reads the list again and tells it.
        std::wstring stored;
        if (!ReadProfileList(profile, ProfileListKind::Blocked, stored).ok())
            return loaded;
        loaded.list.Load(stored);
        std::wstring safe;
        loaded.safeRead = ReadProfileList(profile, ProfileListKind::Safe, safe).ok();
        loaded.safeBytes = loaded.safeRead ? StoredListBytes(safe) : 0;
        loaded.read = true;
    } catch (...) {
        SW_LOG_CAUGHT();
        loaded = LoadedBlockedList();
    }
    return loaded;
}

void BlockedListPreload::Start(const MailProfile& profile) noexcept {
    try {
        m_result = std::async(std::launch::async, &LoadBlockedList, profile);
    } catch (...) {
        // No thread to be had: the page reads the list when it opens.
        SW_LOG_CAUGHT();
    }
}

LoadedBlockedList BlockedListPreload::Take() noexcept {
    try {
        if (m_result.valid())
            return m_result.get();
    } catch (...) {
        SW_LOG_CAUGHT();
    }
    return LoadedBlockedList();
}

} // namespace sw
