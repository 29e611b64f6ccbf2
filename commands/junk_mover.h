// Moves messages to Junk E-mail and notes, for the history, where each one
// went and where it came from.
#pragma once

#include "store/history.h"

#include "outlook/host_call.h"

#include <oaidl.h>

#include <string>
#include <vector>

namespace sw {

// The host's "MAPI" namespace and its Junk E-mail folder; raises HostError
// when either cannot be had.
struct JunkFolder {
    Dispatch ns;
    Dispatch junk;
};
JunkFolder FindJunkFolder();
// The Junk E-mail folder of the namespace `ns`; raises HostError when it
// cannot be had.
Dispatch JunkFolderOf(IDispatch* ns);

class JunkMover {
public:
    // `junk` is Junk E-mail, `junkArg` the same as Move's argument; the
    // moves are noted in `moved`. All three outlive the mover.
    JunkMover(IDispatch* junk, const VARIANT& junkArg, std::vector<MovedMessage>& moved) noexcept
        : m_junk(junk), m_junkArg(junkArg), m_moved(moved) {}

    // Moves `mail` to Junk E-mail. A message that does not move is recorded
    // in the diagnostics log and answered false, and so is (unlogged) one
    // that is in Junk E-mail already; one whose ids cannot be read moves all
    // the same, unnoted. Raises nothing for host failures.
    [[nodiscard]] bool Move(IDispatch* mail);

    IDispatch* junk() const noexcept { return m_junk; }

private:
    IDispatch* m_junk;
    const VARIANT& m_junkArg;
    std::vector<MovedMessage>& m_moved;
    std::wstring m_storeId; // Junk E-mail's store, asked for once
    std::wstring m_junkId;  // Junk E-mail's EntryID, asked for once
    bool m_junkIdAsked = false;
};

} // namespace sw
