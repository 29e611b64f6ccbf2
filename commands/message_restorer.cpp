#include "commands/message_restorer.h"

#include "commands/junk_mover.h"
#include "commands/run_progress.h"
#include "outlook/host_call.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"

namespace sw {
namespace {

bool RestoreOne(IDispatch* ns, const std::wstring& junkId, const MovedMessage& message) {
    const unique_variant entryId = unique_variant::FromText(message.entryId);
    const unique_variant storeId = unique_variant::FromText(message.storeId);
    const Dispatch item = message.storeId.empty()
                              ? FindObject(ns, L"GetItemFromID", {&entryId.get()})
                              : FindObject(ns, L"GetItemFromID", {&entryId.get(), &storeId.get()});
    if (!item)
        return false;
    // Only out of Junk E-mail: a message the user has moved on since stays.
    const Dispatch parent = FindObject(item.get(), L"Parent");
    if (!parent || junkId.empty() ||
        !EqualsIgnoringAsciiCase(GetText(parent.get(), L"EntryID"), junkId))
        return false;
    // A message noted as coming from Junk E-mail has nowhere to go back to.
    if (EqualsIgnoringAsciiCase(message.folderId, junkId))
        return false;
    const unique_variant folderId = unique_variant::FromText(message.folderId);
    const Dispatch folder = FindObject(ns, L"GetFolderFromID", {&folderId.get()});
    if (!folder)
        return false;
    const unique_variant target = unique_variant::FromDispatch(folder.get());
    return SUCCEEDED(SW_LOG_IF_FAILED(CallMethod(item.get(), L"Move", {&target.get()})));
}

} // namespace

RestoreReport HostMessageRestorer::Restore(const std::vector<HistoryAction>& actions) noexcept {
    RestoreReport report;
    size_t total = 0;
    for (const HistoryAction& action : actions)
        total += action.messages.size();
    if (total == 0)
        return report;
    try {
        const JunkFolder folders = FindJunkFolder();
        const std::wstring junkId = GetText(folders.junk.get(), L"EntryID");
        RunProgress progress(L"Unblock and Restore", total);
        for (const HistoryAction& action : actions) {
            for (const MovedMessage& message : action.messages) {
                if (RestoreOne(folders.ns.get(), junkId, message))
                    ++report.restored;
                else
                    ++report.notFound;
                if (!progress.Step()) {
                    report.notFound = total - report.restored;
                    return report;
                }
            }
        }
    } catch (...) {
        // No host, or no way to Junk E-mail: what is left stays there.
        SW_LOG_CAUGHT();
        report.notFound = total - report.restored;
    }
    return report;
}

} // namespace sw
