// What the add-in knows of its host and has done there: one value,
// `g_host`. Its other owner of state is the settings (store/settings.h);
// `ResetAddinState` puts both back as a freshly loaded module has them.
//
// Only the host's UI thread touches `g_host`, so nothing in it is locked or
// atomic; a worker is handed a copy of what it reads (`MailProfile`).
#pragma once

#include "platform/com_ptr.h"
#include "store/host_capabilities.h"
#include "store/new_entries.h"
#include "store/profile_store.h"

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace sw {

struct HostState {
    // The connection: OnConnection sets the host application, start-up the
    // rest; disconnection drops them (DropConnection).

    // The host's _Application.
    com_ptr<IDispatch> hostApp;
    // What the host can do, from its major version; an unknown host's until
    // start-up completes.
    HostCapabilities capabilities;
    // Name of the default MAPI profile: the %s of every profile registry path.
    std::wstring profileName;
    // The profile's mail-account key names, where the host copies the list
    // to accounts.
    std::vector<std::wstring> accountKeys;
    // The stage the toolbar build has reached, reported by its failure
    // messages (the ToolbarStep numbers of legacy_ui/toolbar.cpp).
    int toolbarStep = 0;
    // The StoreID of the store outside the default one where new mail was
    // last found, asked first for the next new message; empty while new
    // mail is found in the default store.
    std::wstring newMailStoreId;

    // The module's lifetime: kept across a disconnection, so that a later
    // connection still writes back what the list has lost, and tells nothing
    // twice.

    // Every entry the blocking commands appended since the module was loaded.
    std::vector<std::wstring> blockedSinceLoad;
    // The entries of the stored Blocked Senders list that Outlook's junk
    // filter has not read yet, whoever wrote them (a command or the Options
    // sheet): kept in step by every write of the list.
    NewBlockedEntries newBlockedEntries;
    // The highest capacity level of the Blocked Senders list (CapacityLevel:
    // 1 past 90 %, 2 past the limit) that a command has warned about; each
    // level is told once.
    int capacityWarned = 0;

    // Set while Block Senders or Block Domains started from the ribbon, the
    // toolbar or the multiple-selection context items runs; its
    // CommandGuard clears it, whenever that is.
    bool commandRunning = false;

    // The profile the store reads and writes, as the connection knows it
    // now: taken once by a command or the Options sheet and handed down.
    MailProfile Profile() const { return {profileName, capabilities, accountKeys}; }

    // Forgets the host, keeping what lives until the module unloads.
    void DropConnection() noexcept;
};

extern HostState g_host;

inline IDispatch* HostApp() noexcept {
    return g_host.hostApp.get();
}

// Puts the host state and the settings back as a freshly loaded module has
// them (tests and benchmarks start from here).
void ResetAddinState();

} // namespace sw
