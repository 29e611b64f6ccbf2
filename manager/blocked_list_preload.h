// Reading and sorting a long Blocked Senders list takes longer than the
// page's first paint: it starts on a worker thread as soon as the sheet
// opens, while the user looks at the Options page, and the page takes the
// result when it is created.
#pragma once

#include "manager/blocked_senders_list.h"
#include "store/profile_store.h"

#include <cstddef>
#include <future>

namespace sw {

struct LoadedBlockedList {
    // False when the stored list could not be read: the page reads it again
    // itself, and the store tells the user why.
    bool read = false;
    BlockedSendersList list;
    // The Safe Senders value's bytes; `safeRead` false when it could not be
    // read (the page reads it again too).
    bool safeRead = false;
    size_t safeBytes = 0;
};

// Reads both lists of `profile` without a word and loads the Blocked Senders
// list. The worker is handed a copy of the profile, taken on the sheet's
// thread: it reads no global.
LoadedBlockedList LoadBlockedList(const MailProfile& profile) noexcept;

class BlockedListPreload {
public:
    // Starts LoadBlockedList on a worker thread; without a thread the page
    // loads the list itself.
    void Start(const MailProfile& profile) noexcept;
    // The worker's result, waited for; not read when nothing was started.
    LoadedBlockedList Take() noexcept;

private:
    std::future<LoadedBlockedList> m_result;
};

} // namespace sw
