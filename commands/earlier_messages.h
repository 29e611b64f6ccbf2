// After a blocking run: the messages already in the folder the user is
// looking at from the senders the run has just blocked follow the selection
// to Junk E-mail. They are found by the host (Items.Restrict on the sender's
// address), never by walking the folder.
#pragma once

#include "commands/junk_mover.h"
#include "commands/run_progress.h"
#include "store/list_index.h"

#include <oaidl.h>

#include <span>
#include <string>

namespace sw {

struct EarlierSweep {
    IDispatch* folder = nullptr;         // the folder shown
    JunkMover* mover = nullptr;          // moves to Junk E-mail
    std::span<const std::wstring> added; // the entries the run added
    const CListIndex* safe = nullptr;    // the Safe Senders list
};

// Moves to Junk E-mail the mail messages in `sweep.folder` whose sender an
// added entry blocks, except those whose sender or sender's domain is on the
// Safe Senders list; nothing when the folder is its store's Junk E-mail or
// its store keeps its mail (JunkMover::MovesFrom). Unlike
// the selection, a sender's notes to themselves move too: in this folder they
// came as a blind copy or are forged, and the sender is blocked. Each
// message counts as one step of `progress`, and Cancel stops the sweep after
// the message at hand. A host failure ends the sweep without a word (it is
// recorded); what was moved stays moved. Answers the count moved.
size_t MoveEarlierMessages(const EarlierSweep& sweep, RunProgress& progress);

} // namespace sw
