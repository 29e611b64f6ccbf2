// The one working copy of the Blocked Senders list that the pages of the
// Options sheet edit: the Blocked Senders page and the History page change
// the same list, and the sheet writes it once after OK.
#pragma once

#include "manager/blocked_list_preload.h"
#include "manager/blocked_senders_list.h"

#include "store/profile_store.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace sw {

class WorkingList {
public:
    // The list of `profile`, which the sheet takes from the host once.
    explicit WorkingList(MailProfile profile) noexcept : m_profile(std::move(profile)) {}

    // Starts reading the list while the sheet shows its first page.
    void StartPreload() noexcept { m_preload.Start(m_profile); }

    // Loads the list on the first call (the preload's result, else a read
    // here, where a failure can be told); later calls do nothing.
    void Load();
    bool Loaded() const noexcept { return m_loaded; }

    BlockedSendersList& List() noexcept { return m_list; }
    const BlockedSendersList& List() const noexcept { return m_list; }
    // A list that could not be read must never be written back: the empty
    // copy would replace the stored list.
    bool ReadFailed() const noexcept { return m_readFailed; }
    // The profile whose list this is.
    const MailProfile& Profile() const noexcept { return m_profile; }
    // The Safe Senders value's bytes, which count against the same limit.
    size_t SafeBytes() const noexcept { return m_safeBytes; }

    // Counts the changes, so that a page shows another page's edit when it
    // is shown again.
    void NoteChange() noexcept { ++m_revision; }
    unsigned Revision() const noexcept { return m_revision; }

    // OK was pressed on a page that edits the list.
    void Accept() noexcept { m_accepted = true; }
    bool Accepted() const noexcept { return m_accepted; }

    // Writes the user's edits when the list was loaded, read and modified:
    // onto the list as stored now, so that what a command blocked while the
    // sheet was open stays. False when the list could not be read again or a
    // key was not written, after telling the user.
    [[nodiscard]] bool Save();

private:
    MailProfile m_profile;
    BlockedListPreload m_preload;
    BlockedSendersList m_list;
    // The texts of the list as loaded, copies included, sorted exactly: the
    // user's edits are told from them at OK.
    std::vector<std::wstring> m_loadedTexts;
    size_t m_safeBytes = 0;
    unsigned m_revision = 0;
    bool m_loaded = false;
    bool m_readFailed = false;
    bool m_accepted = false;
};

} // namespace sw
