// The history file as this process knows it, shared by recording
// (history.cpp), the reads and writes of the file (history_file.cpp) and
// its compaction (history_compaction.cpp). Only those three include it.
#pragma once

#include "store/history.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sw::history_file {

// A history of kHistoryLimit runs of a thousand messages each stays below
// this; a larger file is not read (it is set aside whole on the next write).
inline constexpr size_t kReadLimit = 32u * 1024 * 1024;
// A rewrite keeps no more than this, dropping the oldest actions first.
inline constexpr size_t kKeptBytes = 24u * 1024 * 1024;
// Records appended past kHistoryLimit before the file is compacted, and the
// size past which it is compacted whatever its line count.
inline constexpr size_t kCompactionSlack = 50;
inline constexpr size_t kCompactionBytes = kKeptBytes + 2u * 1024 * 1024;
// Past these (compactions failing or behind) a record rewrites the file
// itself. kGrowthLimit keeps the file readable (below kReadLimit) whatever
// one line holds (at most about 7 MB, kMaxMessages).
inline constexpr size_t kLineLimit = 5 * kHistoryLimit;
inline constexpr size_t kGrowthLimit = 31u * 1024 * 1024;
// Records after a failed compaction before the next one is tried.
inline constexpr size_t kRetryAfter = 10;
// Messages recorded for one run at most (about 7 MB of ids).
inline constexpr size_t kMaxMessages = 50000;

struct FileStamp {
    bool exists = false;
    bool readOnly = false;
    ULONGLONG size = 0;
    FILETIME written = {};

    bool operator==(const FileStamp& other) const noexcept {
        return exists == other.exists && readOnly == other.readOnly && size == other.size &&
               CompareFileTime(&written, &other.written) == 0;
    }
};

FileStamp StampOf(const std::wstring& path) noexcept;

// What a read of the history file found.
struct HistoryFile {
    enum class Shape {
        Missing,    // no file, or an empty one
        Readable,   // a history of this version (lines may still be broken)
        Unreadable, // too large or of a future version: set aside whole
    };
    Shape shape = Shape::Missing;
    FileStamp stamp;
    std::vector<HistoryAction> actions; // readable lines, in file order
    std::vector<std::string> brokenLines;
    size_t lines = 0;     // action lines, broken ones included
    bool cleanEnd = true; // the last line has its line break
    bool headed = false;  // the first line is this version's header
    std::uint64_t lastId = 0;

    bool NeedsRepair() const noexcept {
        return shape != Shape::Readable || !headed || !brokenLines.empty() || !cleanEnd;
    }
};

// What was last learnt about the file, for RecordHistoryAction.
struct KnownFile {
    std::wstring path;
    FileStamp stamp;
    std::uint64_t lastId = 0;
    size_t lines = 0;
    bool needsRepair = true;
    // Changes whenever the file is learnt afresh or replaced, but not when
    // this process appends to it: a compaction started on one base may put
    // its copy in place only on the same base.
    std::uint64_t base = 0;
};

// What the three share of the file, in one instance, g_fileState: the host's
// thread records and loads, the compaction's worker rewrites.
struct HistoryFileState {
    // Held for every read and write of the file and of `known`.
    std::mutex lock;
    KnownFile known;
};
extern HistoryFileState g_fileState;

// Takes what a read found as what is known of the file.
void Remember(const std::wstring& path, const HistoryFile& file);
// Trusts nothing known of the file any more.
void Forget() noexcept;

using KeepMessages = std::function<bool(std::uint64_t)>;

// Reads the file at `path`; false (logged) when it exists but could not be
// read at all (a folder in its place, no access). The actions keep their
// messages as `keepMessages` says (all when it is empty).
[[nodiscard]] bool ReadHistoryFile(const std::wstring& path, HistoryFile& file,
                                   const KeepMessages& keepMessages = {});

// The action's line with its line break; what it left out is logged.
std::string LineOf(const HistoryAction& action);

// Replaces the file by `actions` (oldest first), keeping the newest
// kHistoryLimit within kKeptBytes, after setting aside what `file` held that
// could not be read. Nothing is replaced when that fails.
[[nodiscard]] bool RewriteHistory(const std::wstring& path, const HistoryFile& file,
                                  const std::vector<HistoryAction>& actions);

enum class Appended { Yes, FileChanged, Failed };
// Appends one line to the file, which must still be as g_fileState.known saw
// it.
Appended AppendLine(const std::wstring& path, const std::string& line);

// Drops what an action's line cannot hold and sets its time when unset.
void PrepareAction(HistoryAction& action);

// Where the newest lines of `bytes`, a sound history file, begin: no more
// than `most` lines, together no more than `room` bytes. `kept` is their
// count.
size_t NewestLines(std::string_view bytes, size_t most, size_t room, size_t& kept);

// Replaces a file known to be sound by its newest lines as they are, and
// `line`, on the calling thread: the last resort when compactions fall
// behind.
[[nodiscard]] bool TrimAndAppend(const std::wstring& path, const std::string& line);

// The compaction (history_compaction.cpp), each called under g_fileState.lock.

// Whether a worker is still at work.
bool CompactionRunning() noexcept;
// After a record: starts the worker when a compaction is due.
void StartCompactionIfDue();
// Waits, letting go of `lock` meanwhile, until the compaction running now
// ends, however.
void WaitForCompactionEnd(std::unique_lock<std::mutex>& lock);
// Lets the next due compaction start at once, even after a failure.
void RetryCompactionAtOnce() noexcept;

} // namespace sw::history_file
