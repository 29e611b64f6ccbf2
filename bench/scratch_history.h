// The history of blocking runs in a throw-away folder for as long as a
// benchmark runs, so that its runs never reach the user's own history.
#pragma once

#include "store/history.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace sw::bench {

class ScratchHistory {
public:
    ScratchHistory()
        : m_folder(std::filesystem::temp_directory_path() /
                   ("spamwarden-bench-history-" + std::to_string(GetCurrentProcessId()))),
          m_previous(SetHistoryFolder(m_folder.wstring())) {}
    ~ScratchHistory() {
        SetHistoryFolder(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScratchHistory(const ScratchHistory&) = delete;
    ScratchHistory& operator=(const ScratchHistory&) = delete;

private:
    std::filesystem::path m_folder;
    std::wstring m_previous;
};

} // namespace sw::bench
