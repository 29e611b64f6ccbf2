#include "store/history.h"

#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "store/history_file.h"

#include <algorithm>
#include <mutex>

// Recording must stay cheap in a command of a thousand messages, and in the
// host's events, however long the history, so a record appends its one line
// to the file (without the temporary file and flush of a replacement). When
// it needs repair the file is replaced atomically by what can be read of it.
// What the last read or write learnt about the file (its size and time, its
// last id, its line count) is kept in memory and trusted only while the file
// still has that size and time. A torn append leaves a truncated last line,
// which the reader skips and the next rewrite sets aside like any other line
// it cannot read.
//
// Trimming the file to its newest kHistoryLimit lines (the compaction) reads
// and rewrites all of it, far more than a record may take on the host's
// thread, so a record that leaves the file kCompactionSlack lines past the
// limit (or past kCompactionBytes) starts a worker thread for it, one at a
// time. The worker reads the file as far as it was known under
// g_fileState.lock, writes the newest lines to a temporary file and flushes
// it without the lock, then copies in the lines recorded meanwhile (the tail
// past what it read, again while more come, the last of a long burst under
// the lock) and, holding g_fileState.lock only for the replacement itself,
// puts the copy in place if the file still is what this process last wrote:
// appends are never lost, and a file replaced or changed by anyone else
// meanwhile is left alone (the compaction is dropped; the next record starts
// another if still due). Readers, who take g_fileState.lock too, or another
// process, see the old file or the new one, whole. A compaction that fails is
// logged and tried again kRetryAfter records later. Should compactions keep
// failing, or fall behind records coming faster than any command, the file
// grows only to kLineLimit lines or kGrowthLimit bytes. There a record waits
// for the compaction that runs, or when none does rewrites the file itself as
// a last resort (logged): a slow record now and then rather than a file
// without bound, or one too large for readers (kReadLimit).
//
// The worker holds the module loaded while it runs and frees it as it ends
// (FreeLibraryAndExitThread), so Outlook releasing the add-in meanwhile never
// unloads code it runs. WaitForHistoryCompaction waits for it.
namespace sw {
namespace {

using namespace history_file;

constexpr wchar_t kFileName[] = L"\\history";

// Set only by tests, to keep the history out of the real profile.
std::wstring g_folderOverride;

// Records `action`. When the file is far past its limit because records
// outran a compaction that still runs, and `mayWait`, sets `wait` and records
// nothing: the caller waits for the compaction without g_fileState.lock and
// calls again, rather than have the file rewritten a second time here.
bool Record(HistoryAction& action, bool mayWait, bool& wait) {
    const std::wstring path = HistoryFilePath();
    if (path.empty()) {
        SW_LOG_WIN32(L"HistoryFilePath", ERROR_PATH_NOT_FOUND);
        return false;
    }
    PrepareAction(action);

    for (int attempt = 0; attempt < 2; ++attempt) {
        HistoryFile file;
        const bool known =
            g_fileState.known.path == path && g_fileState.known.stamp == StampOf(path);
        if (!known) {
            if (!ReadHistoryFile(path, file))
                return false;
            Remember(path, file);
        }
        action.id = g_fileState.known.lastId + 1;
        if (g_fileState.known.stamp.exists && g_fileState.known.stamp.size > 0 &&
            !g_fileState.known.needsRepair) {
            const std::string line = LineOf(action);
            if (g_fileState.known.lines >= kLineLimit ||
                g_fileState.known.stamp.size + line.size() > kGrowthLimit) {
                if (mayWait && CompactionRunning()) {
                    wait = true;
                    return false;
                }
                SW_LOG_WIN32(L"history: not compacted in time, rewritten in line",
                             ERROR_FILE_TOO_LARGE);
                if (!TrimAndAppend(path, line))
                    return false;
                g_fileState.known.lastId = action.id;
                return true;
            }
            const Appended appended = AppendLine(path, line);
            if (appended == Appended::Yes) {
                g_fileState.known.lastId = action.id;
                StartCompactionIfDue();
                return true;
            }
            Forget();
            if (appended == Appended::Failed)
                return false;
            continue; // changed under us: once more, from a fresh read
        }
        // Missing, empty or in need of repair: rewritten from what can be read.
        if (known && !ReadHistoryFile(path, file))
            return false;
        action.id = file.lastId + 1;
        file.actions.push_back(std::move(action));
        return RewriteHistory(path, file, file.actions);
    }
    return false;
}

std::vector<HistoryAction> Load(const KeepMessages& keepMessages) {
    const std::lock_guard lock(g_fileState.lock);
    const std::wstring path = HistoryFilePath();
    HistoryFile file;
    if (path.empty() || !ReadHistoryFile(path, file, keepMessages))
        return {};
    Remember(path, file);
    std::vector<HistoryAction> actions = std::move(file.actions);
    if (actions.size() > kHistoryLimit)
        actions.erase(actions.begin(), actions.end() - kHistoryLimit);
    return actions;
}

} // namespace

std::vector<HistoryAction> LoadHistory() {
    return Load({});
}

std::vector<HistoryAction> LoadHistorySummaries() {
    return Load([](std::uint64_t) { return false; });
}

std::vector<HistoryAction> LoadHistoryActions(const std::vector<std::uint64_t>& ids) {
    const auto wanted = [&](std::uint64_t id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    std::vector<HistoryAction> actions = Load(wanted);
    std::erase_if(actions, [&](const HistoryAction& action) { return !wanted(action.id); });
    return actions;
}

bool RecordHistoryAction(HistoryAction action) noexcept {
    try {
        std::unique_lock lock(g_fileState.lock);
        bool wait = false;
        const bool recorded = Record(action, true, wait);
        if (!wait)
            return recorded;
        WaitForCompactionEnd(lock);
        return Record(action, false, wait);
    } catch (...) {
        SW_LOG_CAUGHT();
        Forget();
        return false;
    }
}

bool MarkHistoryUndone(const std::vector<std::uint64_t>& ids) noexcept {
    try {
        const std::lock_guard lock(g_fileState.lock);
        const std::wstring path = HistoryFilePath();
        HistoryFile file;
        if (path.empty() || !ReadHistoryFile(path, file))
            return false;
        bool changed = false;
        for (HistoryAction& action : file.actions) {
            if (!action.undone && std::find(ids.begin(), ids.end(), action.id) != ids.end()) {
                action.undone = true;
                changed = true;
            }
        }
        if (!changed) {
            Remember(path, file);
            return true;
        }
        return RewriteHistory(path, file, file.actions);
    } catch (...) {
        SW_LOG_CAUGHT();
        Forget();
        return false;
    }
}

std::wstring SetHistoryFolder(const std::wstring& folder) {
    for (;;) {
        WaitForHistoryCompaction();
        const std::lock_guard lock(g_fileState.lock);
        if (CompactionRunning())
            continue; // a record started another meanwhile
        std::wstring previous = g_folderOverride;
        g_folderOverride = folder;
        Forget();
        RetryCompactionAtOnce();
        return previous;
    }
}

std::wstring HistoryFilePath() {
    const std::wstring folder = g_folderOverride.empty() ? AddinDataFolder() : g_folderOverride;
    return folder.empty() ? std::wstring() : folder + kFileName;
}

} // namespace sw
