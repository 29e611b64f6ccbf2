// The "MAPI" namespace: the way to the mailbox's default folders, and to
// items and folders by their ids.
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
        // By EntryID and, optionally, StoreID; an id nothing has (any more),
        // or another store's id, fails as Outlook's "could not be found".
        AddMethod(L"GetItemFromID", 1, 2, [this](Invocation& call) {
            return ReturnFound(call, [this](const std::wstring& id) {
                Item* item = this->host().mailbox.FindItem(id);
                return item ? MakeItem(hostShare(), *item) : nullptr;
            });
        });
        AddMethod(L"GetFolderFromID", 1, 2, [this](Invocation& call) {
            return ReturnFound(call, [this](const std::wstring& id) {
                Folder* folder = this->host().mailbox.FindFolder(id);
                return folder ? MakeFolder(hostShare(), *folder) : nullptr;
            });
        });
    }

private:
    // What `find` finds by the EntryID argument, once the StoreID argument,
    // when passed, names the mailbox's store.
    HRESULT ReturnFound(Invocation& call,
                        const std::function<com_ptr<IDispatch>(const std::wstring&)>& find) {
        std::wstring entryId;
        if (HRESULT hr = call.GetText(0, entryId); FAILED(hr))
            return hr;
        if (call.has(1)) {
            std::wstring storeId;
            if (HRESULT hr = call.GetText(1, storeId); FAILED(hr))
                return hr;
            if (_wcsicmp(storeId.c_str(), host().mailbox.storeId().c_str()) != 0)
                return HRESULT(kErrorNotFound);
        }
        com_ptr<IDispatch> found = find(entryId);
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
