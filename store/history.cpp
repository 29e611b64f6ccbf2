#include "store/history.h"

#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "platform/unique_handle.h"
#include "store/history_format.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <unordered_set>

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
// time. The worker reads the file as far as it was known under g_lock,
// writes the newest lines to a temporary file and flushes it without the
// lock, then copies in the lines recorded meanwhile (the tail past what it
// read, again while more come, the last of a long burst under the lock) and,
// holding g_lock only for the replacement itself, puts the copy in place if
// the file still is what this process last wrote: appends are never lost,
// and a file replaced or changed by anyone else meanwhile is left alone (the
// compaction is dropped; the next record starts another if still due).
// Readers, who take g_lock too, or another process, see the old file or the
// new one, whole. A compaction that fails is logged and tried again
// kRetryAfter records later. Should compactions keep failing, or fall behind
// records coming faster than any command, the file grows only to kLineLimit
// lines or kGrowthLimit bytes. There a record waits for the compaction that
// runs, or when none does rewrites the file itself as a last resort
// (logged): a slow record now and then rather than a file without bound, or
// one too large for readers (kReadLimit).
//
// The worker holds the module loaded while it runs and frees it as it ends
// (FreeLibraryAndExitThread), so Outlook releasing the add-in meanwhile never
// unloads code it runs. WaitForHistoryCompaction waits for it.
namespace sw {
namespace {

// A history of kHistoryLimit runs of a thousand messages each stays below
// this; a larger file is not read (it is set aside whole on the next write).
constexpr size_t kReadLimit = 32u * 1024 * 1024;
// A rewrite keeps no more than this, dropping the oldest actions first.
constexpr size_t kKeptBytes = 24u * 1024 * 1024;
// Records appended past kHistoryLimit before the file is compacted, and the
// size past which it is compacted whatever its line count.
constexpr size_t kCompactionSlack = 50;
constexpr size_t kCompactionBytes = kKeptBytes + 2u * 1024 * 1024;
// Past these (compactions failing or behind) a record rewrites the file
// itself. kGrowthLimit keeps the file readable (below kReadLimit) whatever
// one line holds (at most about 7 MB, kMaxMessages).
constexpr size_t kLineLimit = 5 * kHistoryLimit;
constexpr size_t kGrowthLimit = 31u * 1024 * 1024;
// Records after a failed compaction before the next one is tried.
constexpr size_t kRetryAfter = 10;
// The newest set-aside text kept in the side file.
constexpr size_t kSetAsideLimit = 1024 * 1024;
// Messages recorded for one run at most (about 7 MB of ids).
constexpr size_t kMaxMessages = 50000;

constexpr wchar_t kFileName[] = L"\\history";
constexpr wchar_t kSetAsideSuffix[] = L".skipped";
constexpr wchar_t kUnreadableSuffix[] = L".unreadable";

std::mutex g_lock;
std::wstring g_folderOverride;

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

FileStamp StampOf(const std::wstring& path) noexcept {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.exists = true;
        stamp.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.written = data.ftLastWriteTime;
    }
    return stamp;
}

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
KnownFile g_known;

// The compaction's worker thread.
struct Compaction {
    bool running = false;          // a worker compacts, or is about to
    size_t recordsBeforeRetry = 0; // after a failure
    unique_handle thread;          // the last worker started
    std::function<void()> hook;    // SetHistoryCompactionHook
    std::uint64_t ended = 0;       // compactions ended, however
};
Compaction g_compaction;
// Notified, under g_lock, as each compaction ends.
std::condition_variable g_compactionEnded;

void Remember(const std::wstring& path, const HistoryFile& file) {
    if (g_known.path != path || !(g_known.stamp == file.stamp))
        ++g_known.base;
    g_known.path = path;
    g_known.stamp = file.stamp;
    g_known.lastId = file.lastId;
    g_known.lines = file.lines;
    g_known.needsRepair = file.NeedsRepair();
}

void Forget() noexcept {
    g_known.path.clear();
    ++g_known.base;
}

using KeepMessages = std::function<bool(std::uint64_t)>;

void ParseLines(std::string_view text, HistoryFile& file, const KeepMessages& keepMessages) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // a byte order mark from a text editor
    file.cleanEnd = text.empty() || text.back() == '\n';
    std::unordered_set<std::uint64_t> ids;
    bool first = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first) {
            first = false;
            if (const auto version = HistoryHeaderVersion(line)) {
                if (*version > kHistoryFormatVersion) {
                    file.shape = HistoryFile::Shape::Unreadable;
                    return;
                }
                file.headed = true;
                continue;
            }
            // No header: the lines are read as this version's all the same.
        }
        if (line.empty() || line == "\r")
            continue;
        ++file.lines;
        HistoryAction action;
        if (ParseHistoryLine(line, action, keepMessages) && ids.insert(action.id).second) {
            file.lastId = std::max(file.lastId, action.id);
            file.actions.push_back(std::move(action));
        } else {
            file.brokenLines.emplace_back(line);
        }
    }
}

// Reads the file at `path`; false (logged) when it exists but could not be
// read at all (a folder in its place, no access). The actions keep their
// messages as `keepMessages` says (all when it is empty).
bool ReadHistoryFile(const std::wstring& path, HistoryFile& file,
                     const KeepMessages& keepMessages = {}) {
    file = HistoryFile();
    file.stamp = StampOf(path);
    if (!file.stamp.exists)
        return true;
    std::string bytes;
    const DWORD error = ReadWholeFile(path, kReadLimit, bytes);
    if (error == ERROR_FILE_TOO_LARGE) {
        SW_LOG_WIN32(L"ReadWholeFile(history)", error);
        file.shape = HistoryFile::Shape::Unreadable;
        return true;
    }
    if (SW_LOG_IF_WIN32_ERROR(error) != ERROR_SUCCESS)
        return false;
    if (bytes.empty())
        return true;
    file.shape = HistoryFile::Shape::Readable;
    ParseLines(bytes, file, keepMessages);
    return true;
}

void CreateFolderOf(const std::wstring& path) {
    CreateFolders(path.substr(0, path.find_last_of(L'\\')));
}

// Adds the broken lines to the side file, which keeps its newest
// kSetAsideLimit bytes.
bool SetAsideLines(const std::wstring& path, const std::vector<std::string>& lines) {
    if (lines.empty())
        return true;
    const std::wstring sidePath = path + kSetAsideSuffix;
    std::string text;
    if (ReadWholeFile(sidePath, 2 * kSetAsideLimit, text) != ERROR_SUCCESS)
        text.clear();
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    if (text.size() > kSetAsideLimit) {
        size_t cut = text.size() - kSetAsideLimit;
        const size_t lineStart = text.find('\n', cut);
        if (lineStart != std::string::npos && lineStart + 1 < text.size())
            cut = lineStart + 1;
        text.erase(0, cut);
    }
    return SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(sidePath, text)) == ERROR_SUCCESS;
}

std::string LineOf(const HistoryAction& action) {
    size_t skipped = 0;
    std::string line = FormatHistoryLine(action, &skipped);
    line += '\n';
    if (skipped > 0)
        SW_LOG_WIN32(L"history: messages without hexadecimal ids left out", ERROR_INVALID_DATA);
    return line;
}

// Replaces the file by `actions` (oldest first), keeping the newest
// kHistoryLimit within kKeptBytes, after setting aside what `file` held that
// could not be read. Nothing is replaced when that fails.
bool RewriteHistory(const std::wstring& path, const HistoryFile& file,
                    const std::vector<HistoryAction>& actions) {
    if (file.shape == HistoryFile::Shape::Unreadable) {
        if (!MoveFileExW(path.c_str(), (path + kUnreadableSuffix).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            SW_LOG_WIN32(L"MoveFileExW(history)", GetLastError());
            return false;
        }
    } else if (!SetAsideLines(path, file.brokenLines)) {
        return false;
    }

    std::vector<std::string> lines;
    size_t bytes = 0;
    for (auto action = actions.rbegin(); action != actions.rend(); ++action) {
        if (lines.size() == kHistoryLimit)
            break;
        std::string line = LineOf(*action);
        if (!lines.empty() && bytes + line.size() > kKeptBytes)
            break;
        bytes += line.size();
        lines.push_back(std::move(line));
    }
    std::string text = HistoryHeaderLine();
    text.reserve(text.size() + bytes);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        text += *line;

    CreateFolderOf(path);
    if (SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(path, text)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    g_known.path = path;
    g_known.stamp = StampOf(path);
    g_known.lastId = std::max(file.lastId, actions.empty() ? 0 : actions.back().id);
    g_known.lines = lines.size();
    g_known.needsRepair = false;
    ++g_known.base;
    return true;
}

enum class Appended { Yes, FileChanged, Failed };

// Appends one line to the file, which must still be as g_known saw it.
Appended AppendLine(const std::wstring& path, const std::string& line) {
    if (g_known.stamp.readOnly) {
        // Refused as a replacement would be, also where the file system
        // would let its owner write.
        SW_LOG_WIN32(L"history: read-only file", ERROR_ACCESS_DENIED);
        return Appended::Failed;
    }
    unique_handle handle(CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        SW_LOG_WIN32(L"CreateFileW(history)", GetLastError());
        return Appended::Failed;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(handle.get(), &size) ||
        static_cast<ULONGLONG>(size.QuadPart) != g_known.stamp.size)
        return Appended::FileChanged;
    DWORD written = 0;
    if (!WriteFile(handle.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
        SW_LOG_WIN32(L"WriteFile(history)", GetLastError());
        return Appended::Failed;
    }
    handle.reset();
    g_known.stamp = StampOf(path);
    ++g_known.lines;
    return Appended::Yes;
}

// Drops what an action's line cannot hold and sets its time when unset.
void PrepareAction(HistoryAction& action) {
    std::erase_if(action.entries, [](const std::wstring& entry) { return entry.empty(); });
    if (action.messages.size() > kMaxMessages) {
        action.messages.resize(kMaxMessages);
        SW_LOG_WIN32(L"history: messages past the limit left out", ERROR_FILE_TOO_LARGE);
    }
    if (action.time.wYear == 0)
        GetLocalTime(&action.time);
}

// Where the newest lines of `bytes`, a sound history file, begin: no more
// than `most` lines, together no more than `room` bytes. `kept` is their
// count.
size_t NewestLines(std::string_view bytes, size_t most, size_t room, size_t& kept) {
    const size_t headerEnd = bytes.find('\n');
    size_t keptFrom = bytes.size();
    kept = 0;
    while (kept < most && keptFrom > headerEnd + 1) {
        const size_t previous = bytes.rfind('\n', keptFrom - 2);
        if (previous == std::string_view::npos || previous < headerEnd ||
            bytes.size() - previous - 1 > room)
            break;
        keptFrom = previous + 1;
        ++kept;
    }
    return keptFrom;
}

// Replaces a file known to be sound by its newest lines as they are, and
// `line`, on the calling thread: the last resort when compactions fall
// behind.
bool TrimAndAppend(const std::wstring& path, const std::string& line) {
    std::string bytes;
    if (SW_LOG_IF_WIN32_ERROR(ReadWholeFile(path, kReadLimit, bytes)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    size_t kept = 0;
    const size_t room = line.size() < kKeptBytes ? kKeptBytes - line.size() : 0;
    const size_t keptFrom = NewestLines(bytes, kHistoryLimit - 1, room, kept);
    std::string text = HistoryHeaderLine();
    text.append(bytes, keptFrom, std::string::npos);
    text += line;
    if (SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(path, text)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    g_known.stamp = StampOf(path);
    g_known.lines = kept + 1;
    ++g_known.base;
    return true;
}

bool CompactionDue() noexcept {
    return g_known.lines >= kHistoryLimit + kCompactionSlack ||
           g_known.stamp.size > kCompactionBytes;
}

// Whether a worker is still at work; a worker that ended without saying so
// (it could not take the lock) no longer counts.
bool CompactionRunning() noexcept {
    if (g_compaction.running && g_compaction.thread &&
        WaitForSingleObject(g_compaction.thread.get(), 0) != WAIT_TIMEOUT)
        g_compaction.running = false;
    return g_compaction.running;
}

// What a compaction works on: the file's first `size` bytes, whole lines,
// as they were on `base`.
struct CompactionPlan {
    std::wstring path;
    std::uint64_t base = 0;
    ULONGLONG size = 0;
    std::function<void()> hook;
};

// Under g_lock: the next compaction, or false when none is due.
bool PlanCompaction(CompactionPlan& plan) {
    const std::wstring path = HistoryFilePath();
    if (path.empty() || g_known.path != path || g_known.needsRepair || !CompactionDue() ||
        !(StampOf(path) == g_known.stamp))
        return false;
    plan.path = path;
    plan.base = g_known.base;
    plan.size = g_known.stamp.size;
    plan.hook = g_compaction.hook;
    return true;
}

// Under g_lock: whether the file is still the planned one, with this
// process's appends only.
bool StillPlanned(const CompactionPlan& plan) {
    return g_known.path == plan.path && g_known.base == plan.base &&
           StampOf(plan.path) == g_known.stamp;
}

enum class Compacted { Yes, Dropped, Failed };

// Adds the lines appended from `copied` to the file's size as known now to
// the replacement; the caller holds g_lock only when `locked`.
Compacted CopyTail(const CompactionPlan& plan, ULONGLONG& copied, ULONGLONG size, size_t& lines,
                   FileReplacement& replacement, bool locked) {
    std::string tail;
    if (SW_LOG_IF_WIN32_ERROR(ReadFileRange(plan.path, copied, size, tail)) != ERROR_SUCCESS)
        return Compacted::Failed;
    if (tail.empty() || tail.back() != '\n')
        return Compacted::Dropped; // not what this process appended
    if (SW_LOG_IF_WIN32_ERROR(replacement.Append(tail)) != ERROR_SUCCESS ||
        (!locked && SW_LOG_IF_WIN32_ERROR(replacement.Flush()) != ERROR_SUCCESS))
        return Compacted::Failed;
    copied = size;
    lines += static_cast<size_t>(std::count(tail.begin(), tail.end(), '\n'));
    return Compacted::Yes;
}

// One compaction, on the worker thread.
Compacted Compact(const CompactionPlan& plan) {
    // Tails copied (and flushed) without the lock before one is copied under
    // it: records keep coming in a burst.
    constexpr int kUnlockedTails = 8;

    FileReplacement replacement(plan.path);
    size_t lines = 0;
    {
        std::string bytes;
        if (SW_LOG_IF_WIN32_ERROR(ReadFileRange(plan.path, 0, plan.size, bytes)) != ERROR_SUCCESS)
            return Compacted::Failed;
        if (bytes.empty() || bytes.back() != '\n')
            return Compacted::Dropped;
        const size_t keptFrom = NewestLines(bytes, kHistoryLimit, kKeptBytes, lines);
        if (SW_LOG_IF_WIN32_ERROR(replacement.Start()) != ERROR_SUCCESS ||
            SW_LOG_IF_WIN32_ERROR(replacement.Append(HistoryHeaderLine())) != ERROR_SUCCESS ||
            SW_LOG_IF_WIN32_ERROR(replacement.Append(std::string_view(bytes).substr(keptFrom))) !=
                ERROR_SUCCESS ||
            SW_LOG_IF_WIN32_ERROR(replacement.Flush()) != ERROR_SUCCESS)
            return Compacted::Failed;
    }
    if (plan.hook)
        plan.hook();
    // Replacing a large file frees its data, which takes long enough to
    // hold up a record waiting for the lock: it is freed after, unless
    // the file system has no hard links (the one failure LinkTarget has).
    static_cast<void>(replacement.LinkTarget());

    ULONGLONG copied = plan.size;
    for (int tails = 0;; ++tails) {
        std::unique_lock lock(g_lock);
        if (!StillPlanned(plan))
            return Compacted::Dropped;
        const ULONGLONG size = g_known.stamp.size;
        if (size < copied)
            return Compacted::Dropped; // never so on the same base
        if (size != copied) {
            const bool locked = tails >= kUnlockedTails;
            if (!locked)
                lock.unlock();
            const Compacted copy = CopyTail(plan, copied, size, lines, replacement, locked);
            if (copy != Compacted::Yes)
                return copy;
            if (!locked)
                continue; // appended to again meanwhile?
        }
        if (SW_LOG_IF_WIN32_ERROR(replacement.Commit()) != ERROR_SUCCESS)
            return Compacted::Failed;
        g_known.stamp = StampOf(plan.path);
        g_known.lines = lines;
        ++g_known.base;
        return Compacted::Yes;
    }
}

// Under g_lock: learns the file, when what is known of it is not its
// present state, so that the next record only appends.
void LearnFile() {
    const std::wstring path = HistoryFilePath();
    if (path.empty() || (g_known.path == path && g_known.stamp == StampOf(path)))
        return;
    HistoryFile file;
    if (ReadHistoryFile(path, file, [](std::uint64_t) { return false; }))
        Remember(path, file);
}

// The worker thread's work: the file learnt, then compactions while they
// are due.
void RunCompactions() noexcept {
    try {
        {
            const std::lock_guard lock(g_lock);
            LearnFile();
        }
        Compacted last = Compacted::Yes;
        for (bool first = true;; first = false) {
            CompactionPlan plan;
            {
                const std::lock_guard lock(g_lock);
                if (!first) {
                    ++g_compaction.ended;
                    g_compactionEnded.notify_all();
                }
                if (last == Compacted::Failed)
                    g_compaction.recordsBeforeRetry = kRetryAfter;
                if (last != Compacted::Yes || !PlanCompaction(plan)) {
                    g_compaction.running = false;
                    return;
                }
            }
            try {
                last = Compact(plan);
            } catch (...) {
                SW_LOG_CAUGHT();
                last = Compacted::Failed;
            }
        }
    }
    SW_CATCH_LOG()
}

DWORD WINAPI CompactionThread(void* module) {
    RunCompactions();
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

// Under g_lock: starts the worker, which holds the module while it runs.
void StartWorker() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&CompactionThread), &module)) {
        SW_LOG_WIN32(L"GetModuleHandleExW(history compaction)", GetLastError());
        g_compaction.recordsBeforeRetry = kRetryAfter;
        return;
    }
    unique_handle thread(CreateThread(nullptr, 0, &CompactionThread, module, 0, nullptr));
    if (!thread) {
        SW_LOG_WIN32(L"CreateThread(history compaction)", GetLastError());
        FreeLibrary(module);
        g_compaction.recordsBeforeRetry = kRetryAfter;
        return;
    }
    g_compaction.thread = std::move(thread);
    g_compaction.running = true;
}

// Under g_lock, after a record: starts the worker when a compaction is due.
void StartCompactionIfDue() {
    if (!CompactionDue() || CompactionRunning())
        return;
    if (g_compaction.recordsBeforeRetry > 0) {
        --g_compaction.recordsBeforeRetry;
        return;
    }
    StartWorker();
}

// Records `action`. When the file is far past its limit because records
// outran a compaction that still runs, and `mayWait`, sets `wait` and
// records nothing: the caller waits for the compaction without g_lock and
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
        const bool known = g_known.path == path && g_known.stamp == StampOf(path);
        if (!known) {
            if (!ReadHistoryFile(path, file))
                return false;
            Remember(path, file);
        }
        action.id = g_known.lastId + 1;
        if (g_known.stamp.exists && g_known.stamp.size > 0 && !g_known.needsRepair) {
            const std::string line = LineOf(action);
            if (g_known.lines >= kLineLimit || g_known.stamp.size + line.size() > kGrowthLimit) {
                if (mayWait && CompactionRunning()) {
                    wait = true;
                    return false;
                }
                SW_LOG_WIN32(L"history: not compacted in time, rewritten in line",
                             ERROR_FILE_TOO_LARGE);
                if (!TrimAndAppend(path, line))
                    return false;
                g_known.lastId = action.id;
                return true;
            }
            const Appended appended = AppendLine(path, line);
            if (appended == Appended::Yes) {
                g_known.lastId = action.id;
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

} // namespace

namespace {

std::vector<HistoryAction> Load(const KeepMessages& keepMessages) {
    const std::lock_guard lock(g_lock);
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
        std::unique_lock lock(g_lock);
        bool wait = false;
        const bool recorded = Record(action, true, wait);
        if (!wait)
            return recorded;
        const std::uint64_t ended = g_compaction.ended;
        while (g_compaction.ended == ended && CompactionRunning())
            g_compactionEnded.wait_for(lock, std::chrono::milliseconds(100));
        return Record(action, false, wait);
    } catch (...) {
        SW_LOG_CAUGHT();
        Forget();
        return false;
    }
}

bool MarkHistoryUndone(const std::vector<std::uint64_t>& ids) noexcept {
    try {
        const std::lock_guard lock(g_lock);
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
        const std::lock_guard lock(g_lock);
        if (CompactionRunning())
            continue; // a record started another meanwhile
        std::wstring previous = g_folderOverride;
        g_folderOverride = folder;
        Forget();
        g_compaction.recordsBeforeRetry = 0;
        return previous;
    }
}

void WaitForHistoryCompaction() noexcept {
    try {
        for (;;) {
            unique_handle thread;
            {
                const std::lock_guard lock(g_lock);
                if (!g_compaction.thread)
                    return;
                if (WaitForSingleObject(g_compaction.thread.get(), 0) != WAIT_TIMEOUT) {
                    g_compaction.thread.reset();
                    return;
                }
                HANDLE copy = nullptr;
                if (!DuplicateHandle(GetCurrentProcess(), g_compaction.thread.get(),
                                     GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0)) {
                    SW_LOG_WIN32(L"DuplicateHandle(history compaction)", GetLastError());
                    return;
                }
                thread.reset(copy);
            }
            WaitForSingleObject(thread.get(), INFINITE);
        }
    }
    SW_CATCH_LOG()
}

void PrepareHistory() noexcept {
    try {
        const std::lock_guard lock(g_lock);
        if (!CompactionRunning())
            StartWorker();
    }
    SW_CATCH_LOG()
}

void SetHistoryCompactionHook(std::function<void()> hook) {
    const std::lock_guard lock(g_lock);
    g_compaction.hook = std::move(hook);
}

std::wstring HistoryFilePath() {
    const std::wstring folder = g_folderOverride.empty() ? AddinDataFolder() : g_folderOverride;
    return folder.empty() ? std::wstring() : folder + kFileName;
}

} // namespace sw
