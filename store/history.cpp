#include "store/history.h"

// Placeholder until the history file is written: an empty history that
// records nothing.
namespace sw {

std::vector<HistoryAction> LoadHistory() {
    return {};
}

bool RecordHistoryAction(HistoryAction) noexcept {
    return false;
}

bool MarkHistoryUndone(const std::vector<std::uint64_t>&) noexcept {
    return false;
}

std::wstring SetHistoryFolder(const std::wstring&) {
    return {};
}

std::wstring HistoryFilePath() {
    return {};
}

} // namespace sw
