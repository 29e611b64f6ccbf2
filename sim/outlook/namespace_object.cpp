// The "MAPI" namespace: the way to the default store's folders, to the
// profile's stores, and to items and folders by their ids.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

#include <functional>

namespace sw::sim {

namespace {

class Namespace final : public DispatchObject {
public:
    explicit Namespace(HostShare host)
        : DispatchObject(std::move(host), L"Namespace", {kIidNamespace}) {
        AddMethod(L"GetDefaultFolder", 1, 1, [this](Invocation& call) {
            long number = 0;
            if (HRESULT hr = call.GetLong(0, number); FAILED(hr))
                return hr;
            Folder* folder = this->host().mailbox.DefaultFolder(number);
            if (!folder)
                return HRESULT(kErrorNotFound);
            call.ReturnObject(MakeFolder(hostShare(), *folder));
            return S_OK;
        });
        // By EntryID and, optionally, StoreID. Without a StoreID only the
        // default store's items and folders are found; an id nothing has
        // (any more), or one of another store, fails as Outlook's "could not
        // be found".
        AddMethod(L"GetItemFromID", 1, 2, [this](Invocation& call) {
            return ReturnFound(call, [this](const std::wstring& id, const Store& store) {
                Item* item = this->host().mailbox.FindItem(id);
                return item && &item->folder().store() == &store ? MakeItem(hostShare(), *item)
                                                                 : nullptr;
            });
        });
        AddMethod(L"GetFolderFromID", 1, 2, [this](Invocation& call) {
            return ReturnFound(call, [this](const std::wstring& id, const Store& store) {
                Folder* folder = this->host().mailbox.FindFolder(id);
                return folder && &folder->store() == &store ? MakeFolder(hostShare(), *folder)
                                                            : nullptr;
            });
        });
        // Outlook 2007 and later: every open store, the default one first.
        if (this->host().majorVersion() >= 12) {
            AddProperty(L"Stores", [this](Invocation& call) {
                HostShare share = hostShare();
                call.ReturnObject(MakeCollection(
                    share, L"Stores",
                    [share] { return static_cast<long>(share->mailbox.stores().size()); },
                    [share](long index) {
                        return MakeStore(share,
                                         *share->mailbox.stores()[static_cast<size_t>(index - 1)]);
                    }));
                return S_OK;
            });
        }
    }

private:
    using Finder = std::function<com_ptr<IDispatch>(const std::wstring&, const Store&)>;

    // What `find` finds by the EntryID argument in the store the StoreID
    // argument names, or in the default store when none is passed.
    HRESULT ReturnFound(Invocation& call, const Finder& find) {
        std::wstring entryId;
        if (HRESULT hr = call.GetText(0, entryId); FAILED(hr))
            return hr;
        const Store* store = &host().mailbox.defaultStore();
        if (call.has(1)) {
            std::wstring storeId;
            if (HRESULT hr = call.GetText(1, storeId); FAILED(hr))
                return hr;
            store = nullptr;
            for (const auto& candidate : host().mailbox.stores()) {
                if (_wcsicmp(storeId.c_str(), candidate->storeId().c_str()) == 0)
                    store = candidate.get();
            }
            if (!store)
                return HRESULT(kErrorNotFound);
        }
        com_ptr<IDispatch> found = find(entryId, *store);
        if (!found)
            return HRESULT(kErrorNotFound);
        call.ReturnObject(std::move(found));
        return S_OK;
    }
};

} // namespace

com_ptr<IDispatch> MakeNamespace(HostShare host) {
    return MakeDispatch<Namespace>(std::move(host));
}

} // namespace sw::sim
