// "Unblock and Restore" on the History page: the messages of undone runs
// go back from Junk E-mail to the folders they came from.
#pragma once

#include "store/history.h"

namespace sw {

class HostMessageRestorer final : public MessageRestorer {
public:
    // Each message is found again by its ids and moved back only while it
    // is in the Junk E-mail of its store and its folder, looked up in the
    // store it came from where the history names it, is still there; any
    // other stays where it is, counted by why: no longer in Junk E-mail, its
    // folder gone (each only when the host says the id finds nothing), or
    // not moved (the host refused or failed, or where it is could not be
    // read). A long restore shows its progress; Cancel leaves the rest (not
    // moved) in Junk E-mail. Host failures are recorded, never shown or
    // raised.
    RestoreReport Restore(const std::vector<HistoryAction>& actions) noexcept override;
};

} // namespace sw
