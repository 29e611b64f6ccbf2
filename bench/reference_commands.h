// The blocking commands and the re-application at disconnection as they were
// before the list index: every item tests the list text with ListContains,
// and AppendMissing merges. Kept here as the baseline the benchmarks compare
// the add-in's own code with; they behave exactly alike.
#pragma once

namespace sw::bench {

void ReferenceBlockSelectedSenders() noexcept;
void ReferenceBlockSelectedDomains() noexcept;
void ReferenceReapplyBlockedAdditions();

} // namespace sw::bench
