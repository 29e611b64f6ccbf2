// The history of the blocking runs: what each run of Block Senders or Block
// Domains added to the list and which messages it moved where, kept per user
// in %LOCALAPPDATA%\Tallpine\Spamwarden\history so that a run can be undone
// from the History page. The newest kHistoryLimit actions are kept.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sw {

inline constexpr size_t kHistoryLimit = 200;

// A message a run moved to Junk E-mail.
struct MovedMessage {
    std::wstring entryId;  // the message's EntryID after the move (hexadecimal)
    std::wstring storeId;  // the StoreID of the store it is in after the move
    std::wstring folderId; // the EntryID of the folder it came from
    // The StoreID of the store of the folder it came from; empty where the
    // host could not name it, and in histories written before it was noted.
    std::wstring originStoreId = {};
};

// One run that added entries or moved messages.
struct HistoryAction {
    std::uint64_t id = 0;              // unique in the file, given by RecordHistoryAction
    SYSTEMTIME time = {};              // local time the run ended
    std::wstring command;              // "Block Senders", "Block Domains" or "New mail"
    std::vector<std::wstring> entries; // the entries it added, in order
    std::vector<MovedMessage> messages;
    bool undone = false; // undone from the History page
    // How many messages the file holds for it, set when it is read, also
    // when its messages are not (LoadHistorySummaries).
    size_t messageCount = 0;
};

// The actions the file holds, oldest first; lines that cannot be read are
// left out (and set aside, never lost silently). A missing file is an empty
// history. Raises nothing but std::bad_alloc.
std::vector<HistoryAction> LoadHistory();

// LoadHistory without the messages, each action's messageCount telling how
// many there are: what the History page lists, small however many messages
// the runs moved.
std::vector<HistoryAction> LoadHistorySummaries();
// The actions with these ids, with their messages, oldest first.
std::vector<HistoryAction> LoadHistoryActions(const std::vector<std::uint64_t>& ids);

// Adds `action` as the newest (its id and, when unset, its time are given
// here); readers see the newest kHistoryLimit. It appends one line, and when
// the file needs repair replaces it atomically. Now and then it starts the
// compaction, which trims the file to the newest kHistoryLimit on a worker
// thread of its own while records go on. Messages whose ids are not
// hexadecimal, and empty entries, are left out. A failure is recorded in the
// diagnostics log and answered false; it never raises.
[[nodiscard]] bool RecordHistoryAction(HistoryAction action) noexcept;

// Waits until no compaction runs, if one does, or `milliseconds` have passed:
// for tests, benchmarks and the add-in's disconnection (a worker left
// running keeps the module loaded until it ends and the file whole at every
// moment, so this is tidiness, not safety). Never call it from DllMain: the
// worker cannot end while the caller holds the loader lock.
void WaitForHistoryCompaction(DWORD milliseconds = INFINITE) noexcept;
// Learns the history file on the worker thread (and compacts it when due),
// so that the session's first record only appends instead of reading a
// history of many megabytes on the caller's thread. Start-up has it called
// once Outlook's own start is over.
void PrepareHistory() noexcept;

// For tests: called on the compaction's thread once it has written the
// trimmed copy of the file, before it takes in what was recorded meanwhile
// and puts the copy in place. Empty for none.
void SetHistoryCompactionHook(std::function<void()> hook);

// Marks the actions with these ids undone and replaces the file atomically;
// false (logged) on failure. Raises nothing.
[[nodiscard]] bool MarkHistoryUndone(const std::vector<std::uint64_t>& ids) noexcept;

// The history file's folder; an empty folder restores the default
// (%LOCALAPPDATA%\Tallpine\Spamwarden). Tests point it into a scratch
// folder. A compaction running is waited for first. Answers the previous
// setting.
std::wstring SetHistoryFolder(const std::wstring& folder);
// The history file's full path ("" when the folder cannot be found).
std::wstring HistoryFilePath();

// What restoring an undone action's messages did, each message counted
// once, by what became of it.
struct RestoreReport {
    size_t restored = 0;   // moved back to the folder they came from
    size_t notInJunk = 0;  // no longer in Junk E-mail (moved on, or deleted): left there
    size_t folderGone = 0; // in Junk E-mail, but their folder no longer exists: left in Junk
    size_t notMoved = 0;   // refused by the host, or not reached (Cancel, no host)

    size_t Total() const noexcept { return restored + notInJunk + folderGone + notMoved; }
};

// Moves the messages of the actions back from Junk E-mail to the folders they
// came from. The Options command hands one to the sheet; it is the host's
// business, which the sheet does not reach itself.
class MessageRestorer {
public:
    virtual ~MessageRestorer() = default;
    virtual RestoreReport Restore(const std::vector<HistoryAction>& actions) noexcept = 0;
};

} // namespace sw
