// What OK does for the History page, after the working list is written:
// moves the chosen runs' messages back, marks the runs undone and says in
// one message what came of it.
#pragma once

#include "manager/history_edits.h"
#include "store/history.h"

namespace sw {

// Nothing when the page chose nothing. `restorer` may be null when nothing
// was to be restored.
void CommitHistoryEdits(const HistoryEdits& edits, MessageRestorer* restorer);

} // namespace sw
