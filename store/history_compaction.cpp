// Trimming the history file to its newest lines, on a worker thread of its
// own (see history.cpp for how it keeps step with the records).
#include "store/history_file.h"

#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "platform/file_replacement.h"
#include "platform/unique_handle.h"
#include "store/history_format.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>

namespace sw::history_file {
namespace {

// The compaction's worker thread.
struct Compaction {
    bool running = false;          // a worker compacts, or is about to
    size_t recordsBeforeRetry = 0; // after a failure
    unique_handle thread;          // the last worker started
    std::function<void()> hook;    // SetHistoryCompactionHook
    std::uint64_t ended = 0;       // compactions ended, however
};
// Shared with the compaction's worker thread, under g_fileState.lock; not in
// g_host, which only the UI thread touches.
Compaction g_compaction;
// Notified, under g_fileState.lock, as each compaction ends.
std::condition_variable g_compactionEnded;

bool CompactionDue() noexcept {
    return g_fileState.known.lines >= kHistoryLimit + kCompactionSlack ||
           g_fileState.known.stamp.size > kCompactionBytes;
}

// What a compaction works on: the file's first `size` bytes, whole lines,
// as they were on `base`.
struct CompactionPlan {
    std::wstring path;
    std::uint64_t base = 0;
    ULONGLONG size = 0;
    std::function<void()> hook;
};

// Under g_fileState.lock: the next compaction, or false when none is due.
bool PlanCompaction(CompactionPlan& plan) {
    const std::wstring path = HistoryFilePath();
    if (path.empty() || g_fileState.known.path != path || g_fileState.known.needsRepair ||
        !CompactionDue() || !(StampOf(path) == g_fileState.known.stamp))
        return false;
    plan.path = path;
    plan.base = g_fileState.known.base;
    plan.size = g_fileState.known.stamp.size;
    plan.hook = g_compaction.hook;
    return true;
}

// Under g_fileState.lock: whether the file is still the planned one, with this
// process's appends only.
bool StillPlanned(const CompactionPlan& plan) {
    return g_fileState.known.path == plan.path && g_fileState.known.base == plan.base &&
           StampOf(plan.path) == g_fileState.known.stamp;
}

enum class Compacted { Yes, Dropped, Failed };

// Adds the lines appended from `copied` to the file's size as known now to
// the replacement; the caller holds g_fileState.lock only when `locked`.
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
        std::unique_lock lock(g_fileState.lock);
        if (!StillPlanned(plan))
            return Compacted::Dropped;
        const ULONGLONG size = g_fileState.known.stamp.size;
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
        g_fileState.known.stamp = StampOf(plan.path);
        g_fileState.known.lines = lines;
        ++g_fileState.known.base;
        return Compacted::Yes;
    }
}

// Under g_fileState.lock: learns the file, when what is known of it is not its
// present state, so that the next record only appends.
void LearnFile() {
    const std::wstring path = HistoryFilePath();
    if (path.empty() ||
        (g_fileState.known.path == path && g_fileState.known.stamp == StampOf(path)))
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
            const std::lock_guard lock(g_fileState.lock);
            LearnFile();
        }
        Compacted last = Compacted::Yes;
        for (bool first = true;; first = false) {
            CompactionPlan plan;
            {
                const std::lock_guard lock(g_fileState.lock);
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

// Under g_fileState.lock: starts the worker, which holds the module while it
// runs.
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

} // namespace

bool CompactionRunning() noexcept {
    if (g_compaction.running && g_compaction.thread &&
        WaitForSingleObject(g_compaction.thread.get(), 0) != WAIT_TIMEOUT)
        g_compaction.running = false;
    return g_compaction.running;
}

void StartCompactionIfDue() {
    if (!CompactionDue() || CompactionRunning())
        return;
    if (g_compaction.recordsBeforeRetry > 0) {
        --g_compaction.recordsBeforeRetry;
        return;
    }
    StartWorker();
}

void WaitForCompactionEnd(std::unique_lock<std::mutex>& lock) {
    const std::uint64_t ended = g_compaction.ended;
    while (g_compaction.ended == ended && CompactionRunning())
        g_compactionEnded.wait_for(lock, std::chrono::milliseconds(100));
}

void RetryCompactionAtOnce() noexcept {
    g_compaction.recordsBeforeRetry = 0;
}

} // namespace sw::history_file

namespace sw {

using namespace history_file;

void WaitForHistoryCompaction(DWORD milliseconds) noexcept {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    try {
        for (;;) {
            unique_handle thread;
            {
                const std::lock_guard lock(g_fileState.lock);
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
            DWORD wait = INFINITE;
            if (milliseconds != INFINITE) {
                const ULONGLONG now = GetTickCount64();
                if (now >= deadline)
                    return;
                wait = static_cast<DWORD>(deadline - now);
            }
            if (WaitForSingleObject(thread.get(), wait) == WAIT_TIMEOUT)
                return;
        }
    }
    SW_CATCH_LOG()
}

void PrepareHistory() noexcept {
    try {
        const std::lock_guard lock(g_fileState.lock);
        if (!CompactionRunning())
            StartWorker();
    }
    SW_CATCH_LOG()
}

void SetHistoryCompactionHook(std::function<void()> hook) {
    const std::lock_guard lock(g_fileState.lock);
    g_compaction.hook = std::move(hook);
}

} // namespace sw
