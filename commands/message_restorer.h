// "Unblock and Restore" on the History page: the messages of undone runs
// go back from Junk E-mail to the folders they came from.
#pragma once

#include "store/history.h"

namespace sw {

class HostMessageRestorer final : public MessageRestorer {
public:
    // Each message is found again by its ids and moved back only while it
    // is in Junk E-mail and its folder is still there; any other counts as
    // not found and stays where it is. A long restore shows its progress;
    // Cancel leaves the rest (counted as not found) in Junk E-mail. Host
    // failures are recorded, never shown or raised.
    RestoreReport Restore(const std::vector<HistoryAction>& actions) noexcept override;
};

} // namespace sw
