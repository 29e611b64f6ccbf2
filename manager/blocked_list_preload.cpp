#include "manager/blocked_list_preload.h"

#include "platform/diagnostics.h"
#include "store/list_capacity.h"
#include "store/profile_store.h"

namespace sw {

LoadedBlockedList LoadBlockedList(const ProfileLocation& where) noexcept {
    LoadedBlockedList loaded;
    try {
        std::wstring stored;
        std::wstring failure;
        if (!ReadProfileListQuietly(where, stored, ProfileListKind::Blocked, failure))
            return loaded;
        loaded.list.Load(stored);
        std::wstring safe;
        loaded.safeRead = ReadProfileListQuietly(where, safe, ProfileListKind::Safe, failure);
        loaded.safeBytes = loaded.safeRead ? StoredListBytes(safe) : 0;
        loaded.read = true;
    } catch (...) {
        SW_LOG_CAUGHT();
        loaded = LoadedBlockedList();
    }
    return loaded;
}

void BlockedListPreload::Start() noexcept {
    try {
        m_result = std::async(std::launch::async, &LoadBlockedList, CurrentProfileLocation());
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
