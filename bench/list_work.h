// What a blocking command does with the lists, without the host and the
// registry: merge the additions since load into the stored list, then for
// each sender take the entry that blocks it, test it against the never-block
// list and the safe domains, and append it when the list lacks it. Once as
// the command does it (with the list index), once with the reference
// functions, timed in two parts.
#pragma once

#include <string>
#include <vector>

namespace sw::bench {

struct ListWorkInput {
    std::wstring stored;                 // the Blocked Senders list as read
    std::wstring safe;                   // the never-block list
    std::vector<std::wstring> sinceLoad; // g_host.blockedSinceLoad at the start
    std::vector<std::wstring> senders;   // one per selected message
    bool domains = false;                // Block Domains rather than Block Senders
};

struct ListWorkResult {
    std::wstring list;   // the list the command would write
    size_t appended = 0; // entries it appended for the senders
    double setupMs = 0;  // index building (indexed) and the merge
    double itemsMs = 0;  // the per-sender tests and appends
};

ListWorkResult IndexedListWork(const ListWorkInput& input);
ListWorkResult ReferenceListWork(const ListWorkInput& input);

} // namespace sw::bench
