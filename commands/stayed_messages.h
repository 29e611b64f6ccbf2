// The messages a run left where they are, and what the run says of them.
#pragma once

#include <cstddef>
#include <string>

namespace sw {

// The messages a run left where they are, by why: they are not the user's
// to take away, or the host would not move them. Their senders are blocked
// all the same.
struct StayedMessages {
    size_t publicFolders = 0; // in a public-folder store
    size_t othersMailbox = 0; // in another user's mailbox without a Junk E-mail folder to name
    size_t notMoved = 0;      // Move failed: the store closed, its Junk E-mail gone, ...
    size_t Total() const noexcept { return publicFolders + othersMailbox + notMoved; }
};

// What the run's message says of the messages that stayed where they were,
// a sentence for each reason; empty when every one moved.
std::wstring StayedText(const StayedMessages& stayed);

} // namespace sw
