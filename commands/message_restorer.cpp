#include "commands/message_restorer.h"

#include "commands/junk_mover.h"
#include "commands/run_progress.h"
#include "outlook/host_call.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"
#include "store/state.h"

#include <unordered_map>

namespace sw {
namespace {

enum class Outcome { Restored, NotInJunk, FolderGone, NotMoved };

// What a lookup by id came to: found, not there (the host says so), or not
// known (the host failed, or answered nothing).
enum class Lookup { Found, Missing, Unknown };

Lookup LookUp(IDispatch* ns, const wchar_t* method, const std::wstring& id,
              const std::wstring& storeId, Dispatch& found) {
    const unique_variant idArg = unique_variant::FromText(id);
    const unique_variant storeArg = unique_variant::FromText(storeId);
    HRESULT failure = S_OK;
    found = storeId.empty() ? FindObject(ns, method, {&idArg.get()}, failure)
                            : FindObject(ns, method, {&idArg.get(), &storeArg.get()}, failure);
    if (found)
        return Lookup::Found;
    return failure == kHostNotFound ? Lookup::Missing : Lookup::Unknown;
}

// The EntryIDs of the stores' Junk E-mail folders: the default store's,
// and each other store's asked for once (Folder.Store, then
// Store.GetDefaultFolder) where the host has them.
class StoreJunk {
public:
    explicit StoreJunk(IDispatch* defaultJunk)
        : m_defaultId(GetText(defaultJunk, L"EntryID")),
          m_defaultStoreId(GetText(defaultJunk, L"StoreID")) {}

    // The Junk E-mail's EntryID of the store `storeId`, which holds
    // `folder`; empty when it cannot be told (asked again next time).
    std::wstring Of(const std::wstring& storeId, IDispatch* folder) {
        if (storeId.empty() || EqualsIgnoringAsciiCase(storeId, m_defaultStoreId) ||
            !g_host.capabilities.folderStore || !g_host.capabilities.storeDefaultFolder)
            return m_defaultId;
        if (const auto known = m_byStore.find(storeId); known != m_byStore.end())
            return known->second;
        const Dispatch store = FindObject(folder, L"Store");
        const Dispatch junk = store ? StoreJunkFolder(store.get()) : Dispatch();
        std::wstring id = junk ? GetText(junk.get(), L"EntryID") : std::wstring();
        if (!id.empty())
            m_byStore.emplace(storeId, id);
        return id;
    }

private:
    std::wstring m_defaultId;
    std::wstring m_defaultStoreId;
    std::unordered_map<std::wstring, std::wstring> m_byStore;
};

Outcome RestoreOne(IDispatch* ns, StoreJunk& junk, const MovedMessage& message) {
    Dispatch item;
    switch (LookUp(ns, L"GetItemFromID", message.entryId, message.storeId, item)) {
    case Lookup::Found:
        break;
    case Lookup::Missing:
        return Outcome::NotInJunk; // deleted, or gone to another store
    case Lookup::Unknown:
        return Outcome::NotMoved;
    }
    // Only out of Junk E-mail (its store's): a message the user has moved on
    // since stays.
    const Dispatch parent = FindObject(item.get(), L"Parent");
    const std::wstring parentId = parent ? GetText(parent.get(), L"EntryID") : std::wstring();
    const std::wstring junkId =
        parentId.empty() ? parentId : junk.Of(message.storeId, parent.get());
    if (junkId.empty())
        return Outcome::NotMoved; // where it is cannot be told
    if (!EqualsIgnoringAsciiCase(parentId, junkId))
        return Outcome::NotInJunk;
    // A message noted as coming from Junk E-mail has nowhere to go back to.
    if (EqualsIgnoringAsciiCase(message.folderId, parentId))
        return Outcome::NotMoved;
    // In the store it came from, where that was noted; histories older than
    // that ask as they always did.
    Dispatch folder;
    switch (LookUp(ns, L"GetFolderFromID", message.folderId, message.originStoreId, folder)) {
    case Lookup::Found:
        break;
    case Lookup::Missing:
        return Outcome::FolderGone;
    case Lookup::Unknown:
        return Outcome::NotMoved;
    }
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
        StoreJunk junk(folders.junk.get());
        RunProgress progress(L"Unblock and Restore", total);
        for (const HistoryAction& action : actions) {
            for (const MovedMessage& message : action.messages) {
                Count(report, RestoreOne(folders.ns.get(), junk, message));
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
