// The plain data behind the simulated Outlook objects: the stores of one
// profile, their folders and items, and what the explorer window shows and
// has selected, its command bars included.
#pragma once

#include "sim/outlook/command_bar_model.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace sw::sim {

// What an item is; only Mail items are mail messages (_MailItem).
enum class ItemKind { Mail, MeetingRequest, Appointment, Contact, Report };

// A folder's DefaultItemType (OlItemType).
enum class FolderItemType : long {
    Mail = 0,
    Appointment = 1,
    Contact = 2,
    Task = 3,
    Journal = 4,
    Note = 5,
    Post = 6,
};

// GetDefaultFolder numbers (OlDefaultFolders) of the folders every mailbox has.
namespace default_folder {
inline constexpr long DeletedItems = 3;
inline constexpr long Outbox = 4;
inline constexpr long SentMail = 5;
inline constexpr long Inbox = 6;
inline constexpr long Calendar = 9;
inline constexpr long Contacts = 10;
inline constexpr long Drafts = 16;
inline constexpr long Junk = 23;
} // namespace default_folder

// An addressee. An Exchange user ("EX") has an X.500 path as its Address;
// its SMTP address comes only from the directory, through the Exchange user.
struct MailRecipient {
    std::wstring name;
    std::wstring address;
    std::wstring type = L"SMTP";
    std::wstring smtp; // the Exchange user's SMTP address; "" when it has none
};

class Folder;

// Store.ExchangeStoreType (OlExchangeStoreType).
enum class StoreType : long {
    PrimaryMailbox = 0,
    DelegateMailbox = 1,
    PublicFolders = 2,
    NotExchange = 3, // a .pst, an IMAP or Outlook.com account
    AdditionalMailbox = 4,
};

// One store of the profile: the default mailbox or another one.
class Store {
public:
    Store(std::wstring displayName, StoreType type, std::wstring storeId)
        : m_displayName(std::move(displayName)), m_type(type), m_storeId(std::move(storeId)) {}
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::wstring& displayName() const noexcept { return m_displayName; }
    StoreType type() const noexcept { return m_type; }
    const std::wstring& storeId() const noexcept { return m_storeId; }
    // The store's folder with that GetDefaultFolder number, or nullptr.
    Folder* DefaultFolder(long number) const noexcept;

private:
    friend class Mailbox;
    std::wstring m_displayName;
    StoreType m_type;
    std::wstring m_storeId;
    std::vector<Folder*> m_folders;
};

class Item {
public:
    ItemKind kind = ItemKind::Mail;
    std::wstring subject;
    std::wstring senderAddress; // empty: the host reports an empty text
    std::vector<MailRecipient> recipients;
    // "SMTP", or "EX" for an Exchange sender: senderAddress is then an X.500
    // path, and the SMTP address is senderSmtp, answered by the message's
    // PR_SENDER_SMTP_ADDRESS when senderSmtpProperty is set, and by the
    // sender's Exchange user when it is not empty.
    // The item's EntryID: hexadecimal, unique in the profile, kept when it
    // moves within its store.
    std::wstring entryId;
    std::wstring senderType = L"SMTP";
    std::wstring senderSmtp;
    bool senderSmtpProperty = false;
    // How often Move was called on it, through any of its objects.
    unsigned moveCalls = 0;

    // The folder the item is in now.
    Folder& folder() const noexcept { return *m_folder; }

private:
    friend class Mailbox;
    Folder* m_folder = nullptr;
};

class Folder {
public:
    Folder(std::wstring name, FolderItemType type, long defaultNumber)
        : m_name(std::move(name)), m_type(type), m_defaultNumber(defaultNumber) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::wstring& name() const noexcept { return m_name; }
    FolderItemType itemType() const noexcept { return m_type; }
    // Its GetDefaultFolder number, 0 for a folder of the user's own.
    long defaultNumber() const noexcept { return m_defaultNumber; }
    // Its EntryID: hexadecimal, unique in the profile.
    const std::wstring& entryId() const noexcept { return m_entryId; }
    Store& store() const noexcept { return *m_store; }
    // Opened as another user's shared folder (GetSharedDefaultFolder):
    // Folder.Store answers nothing.
    bool openedShared() const noexcept { return m_openedShared; }
    // Deleted by the user (Mailbox::RemoveFolder): no id finds it any more.
    bool removed() const noexcept { return m_removed; }
    // In the order the folder lists them: an item moved in comes last.
    const std::vector<Item*>& items() const noexcept { return m_items; }
    bool contains(const Item& item) const noexcept { return &item.folder() == this; }
    std::vector<std::wstring> subjects() const;

private:
    friend class Mailbox;
    std::wstring m_name;
    FolderItemType m_type;
    long m_defaultNumber;
    std::wstring m_entryId;
    Store* m_store = nullptr;
    bool m_openedShared = false;
    bool m_removed = false;
    std::vector<Item*> m_items;
};

class Mailbox {
public:
    // Creates the default store with its default folders (Inbox, Sent Items,
    // Deleted Items, Outbox, Drafts, Junk E-mail, Calendar, Contacts); the
    // explorer is open on the Inbox with nothing selected.
    Mailbox();
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    Folder& Inbox() { return *DefaultFolder(default_folder::Inbox); }
    Folder& JunkEmail() { return *DefaultFolder(default_folder::Junk); }
    Folder& Calendar() { return *DefaultFolder(default_folder::Calendar); }
    Folder& Contacts() { return *DefaultFolder(default_folder::Contacts); }
    // The default store's folder with that GetDefaultFolder number, or nullptr.
    Folder* DefaultFolder(long number) const noexcept;
    Folder& AddFolder(std::wstring name, FolderItemType type = FolderItemType::Mail);
    Folder& AddFolder(Store& store, std::wstring name, FolderItemType type = FolderItemType::Mail);
    // Every folder of every store.
    const std::vector<std::unique_ptr<Folder>>& folders() const noexcept { return m_folders; }

    // The stores in Namespace.Stores' order, the default store first.
    const std::vector<std::unique_ptr<Store>>& stores() const noexcept { return m_stores; }
    Store& defaultStore() const noexcept { return *m_stores.front(); }
    // Another store, with an Inbox and, with `junkFolder`, a Junk E-mail
    // folder; a public-folder store has neither (`junkFolder` is ignored).
    Store& AddStore(std::wstring displayName, StoreType type, bool junkFolder);
    // `folder` is opened as another user's shared folder.
    void OpenShared(Folder& folder) noexcept { folder.m_openedShared = true; }

    // A mail message; each recipient's display name is its address.
    Item& AddMail(Folder& folder, std::wstring senderAddress,
                  const std::vector<std::wstring>& recipientAddresses, std::wstring subject = {});
    // A message from an Exchange sender with that X.500 path; `smtp` and
    // `smtpProperty` as for Item.
    Item& AddExchangeMail(Folder& folder, std::wstring x500Path, std::wstring smtp,
                          bool smtpProperty, const std::vector<std::wstring>& recipientAddresses);
    // An item of any kind with only a subject; fill in the rest through the result.
    Item& AddItem(Folder& folder, ItemKind kind, std::wstring subject = {});

    // Puts `item` last in `to`. An item moved out of the explorer's folder
    // leaves the explorer's selection, as it leaves the view. An item moved
    // to another store gets a new EntryID, and so does every moved item with
    // SetNewIdOnMove.
    void Move(Item& item, Folder& to);
    void SetNewIdOnMove(bool on) noexcept { m_newIdOnMove = on; }
    // The user deletes `folder`: its items go to Deleted Items, and no id
    // finds it any more.
    void RemoveFolder(Folder& folder);

    // The StoreID of the default store.
    const std::wstring& storeId() const noexcept { return defaultStore().storeId(); }
    // The item or folder with that EntryID (letter case aside) in any store,
    // or nullptr.
    Item* FindItem(const std::wstring& entryId) const noexcept;
    Folder* FindFolder(const std::wstring& entryId) const noexcept;

    // The explorer window: ActiveExplorer answers nothing while it is closed.
    bool explorerOpen() const noexcept { return m_explorerOpen; }
    void SetExplorerOpen(bool open) noexcept { m_explorerOpen = open; }
    Folder& currentFolder() const noexcept { return *m_currentFolder; }
    // Shows `folder` and clears the selection.
    void ShowFolder(Folder& folder);
    const std::vector<Item*>& selection() const noexcept { return m_selection; }
    // Selects `items` and no conversation.
    void Select(std::vector<Item*> items) {
        m_selection = std::move(items);
        m_conversations.clear();
    }
    // Selects `items` and the collapsed conversations `conversations`, each
    // the items of one conversation in any folder. Outlook's Selection holds
    // only the items; Selection.GetSelection(olConversationHeaders) answers
    // the conversations, and a conversation's GetItems its items in the
    // folder shown.
    void SelectWithConversations(std::vector<Item*> items,
                                 std::vector<std::vector<Item*>> conversations) {
        m_selection = std::move(items);
        m_conversations = std::move(conversations);
    }
    const std::vector<std::vector<Item*>>& selectedConversations() const noexcept {
        return m_conversations;
    }
    // The explorer's command bars.
    CommandBarSet& commandBars() noexcept { return m_commandBars; }

private:
    Folder& AddFolderNumbered(Store& store, std::wstring name, FolderItemType type, long number);
    Item& Place(std::unique_ptr<Item> item, Folder& folder);
    std::wstring NewItemId();

    std::vector<std::unique_ptr<Store>> m_stores;
    std::vector<std::unique_ptr<Folder>> m_folders;
    std::vector<std::unique_ptr<Item>> m_items;
    std::unordered_map<std::wstring, Item*> m_itemsById; // by EntryID
    unsigned m_itemIds = 0;
    bool m_newIdOnMove = false;
    bool m_explorerOpen = true;
    Folder* m_currentFolder = nullptr;
    std::vector<Item*> m_selection;
    std::vector<std::vector<Item*>> m_conversations;
    CommandBarSet m_commandBars;
};

} // namespace sw::sim
