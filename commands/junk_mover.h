// Moves messages to Junk E-mail and notes, for the history, where each one
// went and where it came from.
#pragma once

#include "commands/stayed_messages.h"
#include "outlook/host_call.h"
#include "store/history.h"

#include <oaidl.h>

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace sw {

// The host's "MAPI" namespace and its Junk E-mail folder; raises HostError
// when either cannot be had.
struct JunkFolder {
    Dispatch ns;
    Dispatch junk;
};
JunkFolder FindJunkFolder();
// The Junk E-mail folder of `store`, or nothing where the host does not
// name one (the failure is recorded).
Dispatch StoreJunkFolder(IDispatch* store);
// The Junk E-mail folder of the namespace `ns`; raises HostError when it
// cannot be had.
Dispatch JunkFolderOf(IDispatch* ns);

// Each message goes to the Junk E-mail folder of its own folder's store
// (Folder.Store, then Store.GetDefaultFolder), asked once per folder and
// per store. The default store's Junk E-mail is used, as for a profile of
// one store, where the host cannot name the store or its Junk E-mail, where
// either call fails or answers nothing, for a shared folder whose Store is
// nothing, and for a store of the user's own without a Junk E-mail folder
// (a .pst kept as an archive): no folder is ever created. A message in a
// public-folder store, or in another user's mailbox (or a store whose type
// cannot be read) that names no Junk E-mail of its own, is not moved: that
// would take it from everyone who shares it.
class JunkMover {
public:
    // `defaultJunk` is the default store's Junk E-mail folder, which
    // outlives the mover, as do `moved`, where the moves are noted, and
    // `stayed`, where the messages that stay are counted.
    JunkMover(IDispatch* defaultJunk, std::vector<MovedMessage>& moved, StayedMessages& stayed);

    // Moves `mail` to Junk E-mail. A message that does not move is recorded
    // in the diagnostics log, counted in `stayed` and answered false, and so
    // is (unlogged) one that stays where it is; one that is in its store's
    // Junk E-mail already is answered false alone. One whose ids cannot be
    // read moves all the same, unnoted. Raises nothing for host failures: a
    // store that fails halfway keeps its messages and the others still move.
    [[nodiscard]] bool Move(IDispatch* mail);
    // Whether messages of `folder` go anywhere: not when it is its store's
    // Junk E-mail, nor when its store keeps its mail.
    [[nodiscard]] bool MovesFrom(IDispatch* folder);

private:
    struct Destination {
        Dispatch junk;        // null: the messages stay where they are
        unique_variant arg;   // Move's argument: `junk`
        std::wstring storeId; // the store Junk E-mail is in, asked for once
        std::wstring junkId;  // Junk E-mail's EntryID, asked for once
        bool junkIdAsked = false;
        size_t StayedMessages::*stayReason = nullptr;
    };

    // A source folder: where its messages go, and the StoreID of its own
    // store ("" where the host does not name it), for the history.
    struct Source {
        Destination* to = nullptr;
        std::wstring storeId;
    };

    Source SourceOf(IDispatch* folder, const std::wstring& folderId);
    Destination& DestinationOf(IDispatch* folder, const std::wstring& folderId) {
        return *SourceOf(folder, folderId).to;
    }
    Destination& StoreDestination(IDispatch* folder, std::wstring& storeId);
    Destination& Resolve(IDispatch* store, const std::wstring& storeId);
    const std::wstring& StoreIdOf(Destination& destination);
    bool IsJunk(Destination& destination, const std::wstring& folderId);

    std::deque<Destination> m_destinations; // the first: the default store's Junk E-mail
    std::unordered_map<std::wstring, Source> m_byFolder;      // by folder EntryID
    std::unordered_map<std::wstring, Destination*> m_byStore; // by StoreID
    std::vector<MovedMessage>& m_moved;
    StayedMessages& m_stayed;
};

} // namespace sw
