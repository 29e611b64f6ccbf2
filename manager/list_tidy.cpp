#include "manager/list_tidy.h"

namespace sw {

TidyProposals ProposeTidy(const TidyInput&) {
    return {};
}

std::vector<std::wstring> ApplyTidy(const std::vector<std::wstring>& entries,
                                    const TidyProposals&, const TidyChoice&) {
    return entries;
}

std::wstring DescribeTidyChange(TidyGroup, const TidyChange&) {
    return {};
}

} // namespace sw
