// Folder (MAPIFolder): one folder of a store; and Store, the store itself.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

#include <utility>

namespace sw::sim {

namespace {

class FolderObject final : public DispatchObject {
public:
    FolderObject(HostShare host, Folder& folder)
        : DispatchObject(std::move(host), L"Folder", {kIidFolder}), m_folder(folder) {
        AddProperty(L"Name", [this](Invocation& call) {
            call.ReturnText(m_folder.name());
            return S_OK;
        });
        AddProperty(L"EntryID", [this](Invocation& call) {
            call.ReturnText(m_folder.entryId());
            return S_OK;
        });
        AddProperty(L"StoreID", [this](Invocation& call) {
            call.ReturnText(m_folder.store().storeId());
            return S_OK;
        });
        AddProperty(L"DefaultItemType", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(m_folder.itemType()));
            return S_OK;
        });
        AddProperty(L"Items", [this](Invocation& call) {
            call.ReturnObject(MakeFolderItems(hostShare(), m_folder));
            return S_OK;
        });
        // Outlook 2007 and later; nothing for a folder opened as another
        // user's shared folder.
        if (this->host().majorVersion() >= 12) {
            AddProperty(L"Store", [this](Invocation& call) {
                call.ReturnObject(
                    m_folder.openedShared() ? nullptr : MakeStore(hostShare(), m_folder.store()));
                return S_OK;
            });
        }
    }

    Folder& folder() const noexcept { return m_folder; }

private:
    Folder& m_folder;
};

class StoreObject final : public DispatchObject {
public:
    StoreObject(HostShare host, Store& store)
        : DispatchObject(std::move(host), L"Store"), m_store(store) {
        using Text = const std::wstring& (Store::*)() const noexcept;
        for (const auto& [name, text] :
             {std::pair<const wchar_t*, Text>{L"StoreID", &Store::storeId},
              {L"DisplayName", &Store::displayName}}) {
            AddProperty(name, [this, text](Invocation& call) {
                call.ReturnText((m_store.*text)());
                return S_OK;
            });
        }
        AddProperty(L"ExchangeStoreType", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(m_store.type()));
            return S_OK;
        });
        // Outlook 2010 and later: the store's own default folder, or nothing
        // where the store has none (or the user deleted it).
        if (this->host().majorVersion() >= 14) {
            AddMethod(L"GetDefaultFolder", 1, 1, [this](Invocation& call) {
                long number = 0;
                if (HRESULT hr = call.GetLong(0, number); FAILED(hr))
                    return hr;
                Folder* folder = m_store.DefaultFolder(number);
                call.ReturnObject(folder && !folder->removed() ? MakeFolder(hostShare(), *folder)
                                                               : nullptr);
                return S_OK;
            });
        }
    }

private:
    Store& m_store;
};

} // namespace

com_ptr<IDispatch> MakeFolder(HostShare host, Folder& folder) {
    return MakeDispatch<FolderObject>(std::move(host), folder);
}

com_ptr<IDispatch> MakeStore(HostShare host, Store& store) {
    return MakeDispatch<StoreObject>(std::move(host), store);
}

Folder* FolderOf(IDispatch* object) noexcept {
    auto folder = DispatchObject::From<FolderObject>(object);
    return folder ? &folder->folder() : nullptr;
}

} // namespace sw::sim
