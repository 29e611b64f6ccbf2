#include "commands/message_restorer.h"

#include "commands/junk_mover.h"
#include "commands/run_progress.h"
#include "outlook/host_call.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"

namespace sw {
namespace {

enum class Outcome { Restored, NotInJunk, FolderGone, NotMoved };

Outcome RestoreOne(IDispatch* ns, const std::wstring& junkId, const MovedMessage& message) {
    const unique_variant entryId = unique_variant::FromText(message.entryId);
    const unique_variant storeId = unique_variant::FromText(message.storeId);
    const Dispatch item = message.storeId.empty()
                              ? FindObject(ns, L"GetItemFromID", {&entryId.get()})
                              : FindObject(ns, L"GetItemFromID", {&entryId.get(), &storeId.get()});
    if (!item)
        return Outcome::NotInJunk; // deleted, or gone to another store
    // Only out of Junk E-mail: a message the user has moved on since stays.
    const Dispatch parent = FindObject(item.get(), L"Parent");
    const std::wstring parentId = parent ? GetText(parent.get(), L"EntryID") : std::wstring();
    if (parentId.empty() || junkId.empty())
        return Outcome::NotMoved; // where it is cannot be told
    if (!EqualsIgnoringAsciiCase(parentId, junkId))
        return Outcome::NotInJunk;
    // A message noted as coming from Junk E-mail has nowhere to go back to.
    if (EqualsIgnoringAsciiCase(message.folderId, junkId))
        return Outcome::NotMoved;
    const unique_variant folderId = unique_variant::FromText(message.folderId);
    const Dispatch folder = FindObject(ns, L"GetFolderFromID", {&folderId.get()});
    if (!folder)
        return Outcome::FolderGone;
    const unique_variant target = unique_variant::FromDispatch(folder.get());
    return SUCCEEDED(SW_LOG_IF_FAILED(CallMethod(item.get(), L"Move", {&target.get()})))
               ? Outcome::Restored
               : Outcome::NotMoved;
}

void Count(RestoreReport& report, Outcome outcome) noexcept {
    switch (outcome) {
    case Outcome::Restored:
        ++report.restored;
        return;
    case Outcome::NotInJunk:
        ++report.notInJunk;
        return;
    case Outcome::FolderGone:
        ++report.folderGone;
        return;
    case Outcome::NotMoved:
        ++report.notMoved;
        return;
    }
}

} // namespace

RestoreReport HostMessageRestorer::Restore(const std::vector<HistoryAction>& actions) noexcept {
    RestoreReport report;
    size_t total = 0;
    for (const HistoryAction& action : actions)
        total += action.messages.size();
    if (total == 0)
        return report;
    // What was not looked at (Cancel, or no way to the host) is not moved back.
    const auto leaveTheRest = [&] { report.notMoved += total - report.Total(); };
    try {
        const JunkFolder folders = FindJunkFolder();
        const std::wstring junkId = GetText(folders.junk.get(), L"EntryID");
        RunProgress progress(L"Unblock and Restore", total);
        for (const HistoryAction& action : actions) {
            for (const MovedMessage& message : action.messages) {
                Count(report, RestoreOne(folders.ns.get(), junkId, message));
                if (!progress.Step()) {
                    leaveTheRest();
                    return report;
                }
            }
        }
    } catch (...) {
        // No host, or no way to Junk E-mail: what is left stays there.
        SW_LOG_CAUGHT();
        leaveTheRest();
    }
    return report;
}

} // namespace sw
