#include "sim/outlook/mailbox.h"

#include <algorithm>
#include <cwchar>

namespace sw::sim {

std::vector<std::wstring> Folder::subjects() const {
    std::vector<std::wstring> result;
    for (const Item* item : m_items)
        result.push_back(item->subject);
    return result;
}

Folder* Store::DefaultFolder(long number) const noexcept {
    if (number == 0)
        return nullptr;
    for (Folder* folder : m_folders) {
        if (folder->defaultNumber() == number)
            return folder;
    }
    return nullptr;
}

Mailbox::Mailbox() {
    m_stores.push_back(std::make_unique<Store>(
        L"Mailbox", StoreType::PrimaryMailbox,
        L"0000000038A1BB1005E5101AA1BB08002B2A56C20000737073746F72652E646C6C"
        L"00000000004E495441F9BFB80100AA0037D96E0000000043003A005C0053004D"));
    Store& store = defaultStore();
    using enum FolderItemType;
    AddFolderNumbered(store, L"Inbox", Mail, default_folder::Inbox);
    AddFolderNumbered(store, L"Sent Items", Mail, default_folder::SentMail);
    AddFolderNumbered(store, L"Deleted Items", Mail, default_folder::DeletedItems);
    AddFolderNumbered(store, L"Outbox", Mail, default_folder::Outbox);
    AddFolderNumbered(store, L"Drafts", Mail, default_folder::Drafts);
    AddFolderNumbered(store, L"Junk E-mail", Mail, default_folder::Junk);
    AddFolderNumbered(store, L"Calendar", Appointment, default_folder::Calendar);
    AddFolderNumbered(store, L"Contacts", Contact, default_folder::Contacts);
    m_currentFolder = &Inbox();
}

Folder* Mailbox::DefaultFolder(long number) const noexcept {
    return defaultStore().DefaultFolder(number);
}

Store& Mailbox::AddStore(std::wstring displayName, StoreType type, bool junkFolder) {
    wchar_t id[96];
    swprintf(id, 96, L"0000000038A1BB1005E5101AA1BB08002B2A56C200006D7370737473%08zX",
             m_stores.size() + 1);
    m_stores.push_back(std::make_unique<Store>(std::move(displayName), type, id));
    Store& store = *m_stores.back();
    if (type == StoreType::PublicFolders)
        return store;
    AddFolderNumbered(store, L"Inbox", FolderItemType::Mail, default_folder::Inbox);
    if (junkFolder)
        AddFolderNumbered(store, L"Junk E-mail", FolderItemType::Mail, default_folder::Junk);
    return store;
}

Folder& Mailbox::AddFolder(std::wstring name, FolderItemType type) {
    return AddFolderNumbered(defaultStore(), std::move(name), type, 0);
}

Folder& Mailbox::AddFolder(Store& store, std::wstring name, FolderItemType type) {
    return AddFolderNumbered(store, std::move(name), type, 0);
}

Folder& Mailbox::AddFolderNumbered(Store& store, std::wstring name, FolderItemType type,
                                   long number) {
    m_folders.push_back(std::make_unique<Folder>(std::move(name), type, number));
    Folder& folder = *m_folders.back();
    wchar_t id[40];
    swprintf(id, 40, L"00000000F0F1F2F3F4F50001%08zX", m_folders.size());
    folder.m_entryId = id;
    folder.m_store = &store;
    store.m_folders.push_back(&folder);
    return folder;
}

Item& Mailbox::AddMail(Folder& folder, std::wstring senderAddress,
                       const std::vector<std::wstring>& recipientAddresses, std::wstring subject) {
    auto item = std::make_unique<Item>();
    item->kind = ItemKind::Mail;
    item->subject = std::move(subject);
    item->senderAddress = std::move(senderAddress);
    for (const auto& address : recipientAddresses)
        item->recipients.push_back({address, address, L"SMTP", {}});
    return Place(std::move(item), folder);
}

Item& Mailbox::AddExchangeMail(Folder& folder, std::wstring x500Path, std::wstring smtp,
                               bool smtpProperty,
                               const std::vector<std::wstring>& recipientAddresses) {
    Item& item = AddMail(folder, std::move(x500Path), recipientAddresses);
    item.senderType = L"EX";
    item.senderSmtp = std::move(smtp);
    item.senderSmtpProperty = smtpProperty;
    return item;
}

Item& Mailbox::AddItem(Folder& folder, ItemKind kind, std::wstring subject) {
    auto item = std::make_unique<Item>();
    item->kind = kind;
    item->subject = std::move(subject);
    return Place(std::move(item), folder);
}

std::wstring Mailbox::NewItemId() {
    wchar_t id[40];
    swprintf(id, 40, L"00000000A1B2C3D4E5F60708%08X", ++m_itemIds);
    return id;
}

Item& Mailbox::Place(std::unique_ptr<Item> item, Folder& folder) {
    item->entryId = NewItemId();
    m_itemsById[item->entryId] = item.get();
    item->m_folder = &folder;
    folder.m_items.push_back(item.get());
    m_items.push_back(std::move(item));
    return *m_items.back();
}

void Mailbox::Move(Item& item, Folder& to) {
    Folder& from = *item.m_folder;
    if (&from == &to)
        return;
    std::erase(from.m_items, &item);
    to.m_items.push_back(&item);
    item.m_folder = &to;
    if (m_newIdOnMove || from.m_store != to.m_store) {
        m_itemsById.erase(item.entryId);
        item.entryId = NewItemId();
        m_itemsById[item.entryId] = &item;
    }
    if (&from == m_currentFolder)
        std::erase(m_selection, &item);
}

void Mailbox::ShowFolder(Folder& folder) {
    m_currentFolder = &folder;
    m_selection.clear();
}

void Mailbox::RemoveFolder(Folder& folder) {
    Folder* own = folder.store().DefaultFolder(default_folder::DeletedItems);
    Folder& deleted = own ? *own : *DefaultFolder(default_folder::DeletedItems);
    while (!folder.m_items.empty())
        Move(*folder.m_items.front(), deleted);
    folder.m_removed = true;
}

Item* Mailbox::FindItem(const std::wstring& entryId) const noexcept {
    // Ids are made in upper case; a store finds them in any case, by its index.
    std::wstring key = entryId;
    for (wchar_t& c : key) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    const auto found = m_itemsById.find(key);
    return found == m_itemsById.end() ? nullptr : found->second;
}

Folder* Mailbox::FindFolder(const std::wstring& entryId) const noexcept {
    for (const auto& folder : m_folders) {
        if (!folder->m_removed && _wcsicmp(folder->m_entryId.c_str(), entryId.c_str()) == 0)
            return folder.get();
    }
    return nullptr;
}

} // namespace sw::sim
