// What the host can do, by name: made once from its major version (Outlook
// 2003 is 11, 2007 is 12, 2010 is 14, 2013 is 15, 2016 and later 16; 0 when
// the version is unknown). This is the one place that compares version
// numbers; everything else asks for a capability.
#pragma once

namespace sw {

struct HostCapabilities {
    constexpr HostCapabilities() noexcept : HostCapabilities(0) {}
    constexpr explicit HostCapabilities(int majorVersion) noexcept
        : version(majorVersion), ribbon(majorVersion >= 14), toolbar(majorVersion < 14),
          itemContextMenuEvent(majorVersion == 12), commandBarsEvent(majorVersion < 12),
          accountListCopies(majorVersion >= 14), officeProfilesRoot(majorVersion >= 15),
          newMailEx(majorVersion >= 11 || majorVersion == 0), conversations(majorVersion >= 14),
          folderStore(majorVersion >= 12), namespaceStores(majorVersion >= 12),
          storeDefaultFolder(majorVersion >= 14) {}

    // The major version as the host reported it, for texts and paths only.
    int version;
    // The ribbon and its context-menu entries carry the commands (2010 on).
    bool ribbon;
    // The "Spamwarden" toolbar and the command-bar context items carry them
    // (before 2010, and an unknown host).
    bool toolbar;
    // Application.ItemContextMenuDisplay reports the item context menu (2007).
    bool itemContextMenuEvent;
    // Only CommandBars.OnUpdate reveals the context menu (2003 and older, and
    // an unknown host).
    bool commandBarsEvent;
    // The Blocked Senders list is copied to the key of every mail account of
    // the profile (2010 on).
    bool accountListCopies;
    // The mail profiles are kept under Office\<major>.0\Outlook\Profiles
    // (2013 on) rather than the Windows Messaging Subsystem's key.
    bool officeProfilesRoot;
    // Application.NewMailEx (2003 on); an unknown host is asked all the
    // same, and one without the event says so.
    bool newMailEx;
    // Selection.GetSelection(olConversationHeaders) names collapsed
    // conversations (2010 on).
    bool conversations;
    // Folder.Store (2007 on).
    bool folderStore;
    // Namespace.Stores, and GetItemFromID's StoreID argument (2007 on).
    bool namespaceStores;
    // Store.GetDefaultFolder (2010 on).
    bool storeDefaultFolder;
};

} // namespace sw
