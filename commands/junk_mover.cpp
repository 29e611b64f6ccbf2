#include "commands/junk_mover.h"

#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"
#include "store/state.h"

namespace sw {

JunkFolder FindJunkFolder() {
    const unique_variant mapi = unique_variant::FromText(L"MAPI");
    JunkFolder found;
    found.ns = CallForObject(HostApp(), L"GetNamespace", {&mapi.get()});
    found.junk = JunkFolderOf(found.ns.get());
    return found;
}

Dispatch JunkFolderOf(IDispatch* ns) {
    const unique_variant junkKind = unique_variant::FromLong(kJunkFolder);
    return CallForObject(ns, L"GetDefaultFolder", {&junkKind.get()});
}

Dispatch StoreJunkFolder(IDispatch* store) {
    const unique_variant junkKind = unique_variant::FromLong(kJunkFolder);
    return FindObject(store, L"GetDefaultFolder", {&junkKind.get()});
}

JunkMover::JunkMover(IDispatch* defaultJunk, std::vector<MovedMessage>& moved,
                     StayedMessages& stayed)
    : m_moved(moved), m_stayed(stayed) {
    Destination& first = m_destinations.emplace_back();
    first.junk = Dispatch(defaultJunk);
    first.arg = unique_variant::FromDispatch(defaultJunk);
}

const std::wstring& JunkMover::StoreIdOf(Destination& destination) {
    if (destination.storeId.empty() && destination.junk)
        destination.storeId = GetText(destination.junk.get(), L"StoreID");
    return destination.storeId;
}

bool JunkMover::IsJunk(Destination& destination, const std::wstring& folderId) {
    if (folderId.empty() || !destination.junk)
        return false;
    if (!destination.junkIdAsked) {
        destination.junkId = GetText(destination.junk.get(), L"EntryID");
        destination.junkIdAsked = true;
    }
    return !destination.junkId.empty() && EqualsIgnoringAsciiCase(folderId, destination.junkId);
}

JunkMover::Source JunkMover::SourceOf(IDispatch* folder, const std::wstring& folderId) {
    if (!folder || !g_host.capabilities.folderStore)
        return {&m_destinations.front(), {}};
    if (!folderId.empty()) {
        if (const auto known = m_byFolder.find(folderId); known != m_byFolder.end())
            return known->second;
    }
    Source source;
    source.to = &StoreDestination(folder, source.storeId);
    // A folder without an id is asked again: nothing else tells it apart.
    if (!folderId.empty())
        m_byFolder.emplace(folderId, source);
    return source;
}

JunkMover::Destination& JunkMover::StoreDestination(IDispatch* folder, std::wstring& storeId) {
    // Nothing for a shared folder opened as another user's, or a failure:
    // the default store's Junk E-mail, as ever.
    const Dispatch store = FindObject(folder, L"Store");
    if (!store)
        return m_destinations.front();
    storeId = GetText(store.get(), L"StoreID");
    if (storeId.empty() || EqualsIgnoringAsciiCase(storeId, StoreIdOf(m_destinations.front())))
        return m_destinations.front();
    if (const auto known = m_byStore.find(storeId); known != m_byStore.end())
        return *known->second;
    Destination& destination = Resolve(store.get(), storeId);
    m_byStore.emplace(storeId, &destination);
    return destination;
}

JunkMover::Destination& JunkMover::Resolve(IDispatch* store, const std::wstring& storeId) {
    const std::optional<LONG> type = FindLong(store, L"ExchangeStoreType");
    if (type == kPublicFoldersStore) {
        Destination& stays = m_destinations.emplace_back();
        stays.stayReason = &StayedMessages::publicFolders;
        return stays;
    }
    Dispatch junk = g_host.capabilities.storeDefaultFolder ? StoreJunkFolder(store) : Dispatch();
    if (junk) {
        Destination& own = m_destinations.emplace_back();
        own.arg = unique_variant::FromDispatch(junk.get());
        own.junk = std::move(junk);
        own.storeId = storeId;
        return own;
    }
    // A store of the user's own without a Junk E-mail folder to name.
    if (type && *type != kDelegateMailboxStore)
        return m_destinations.front();
    Destination& stays = m_destinations.emplace_back();
    stays.stayReason = &StayedMessages::othersMailbox;
    return stays;
}

bool JunkMover::MovesFrom(IDispatch* folder) {
    const std::wstring folderId = GetText(folder, L"EntryID");
    Destination& to = DestinationOf(folder, folderId);
    return to.junk && !IsJunk(to, folderId);
}

bool JunkMover::Move(IDispatch* mail) {
    const Dispatch parent = FindObject(mail, L"Parent");
    std::wstring from = parent ? GetText(parent.get(), L"EntryID") : std::wstring();
    Source source = SourceOf(parent.get(), from);
    Destination& to = *source.to;
    if (!to.junk) {
        ++(m_stayed.*to.stayReason);
        return false;
    }
    // Already in its store's Junk E-mail (the folder shown is Junk E-mail):
    // moving it there again would be noted as a move, which undoing would
    // "restore" into Junk E-mail itself.
    if (IsJunk(to, from))
        return false;
    unique_variant result;
    if (FAILED(SW_LOG_IF_FAILED(
            InvokeByName(mail, L"Move", DISPATCH_METHOD, {&to.arg.get()}, result)))) {
        ++m_stayed.notMoved;
        return false;
    }
    // The message in its new place, whose EntryID may differ from the old one.
    if (result.type() != VT_DISPATCH || !V_DISPATCH(&result.get()) || from.empty())
        return true;
    std::wstring id = GetText(V_DISPATCH(&result.get()), L"EntryID");
    if (id.empty())
        return true;
    m_moved.push_back({std::move(id), StoreIdOf(to), std::move(from), std::move(source.storeId)});
    return true;
}

} // namespace sw
