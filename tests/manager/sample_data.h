// The sample list and history that the screenshots show and that the test of
// cut texts lays the windows out with.
#pragma once

#include "store/history.h"

#include <string>
#include <vector>

namespace sw::test {

// An ordinary Blocked Senders list of 18 entries.
extern const wchar_t kSampleList[];
// Copies of a few entries in other letter cases, addresses that a domain
// entry covers, and a domain with four addresses: work for Tidy.
extern const wchar_t kUntidyEntries[];

// Records the History page's sample runs, oldest first: a mistaken Block
// Domains among ordinary ones and a move of new mail; the oldest is undone.
void RecordSampleHistory();

} // namespace sw::test
