// The "MAPI" namespace: the way to the mailbox's default folders, and to
// items and folders by their ids.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

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
            std::wstring entryId;
            if (HRESULT hr = StoreAndId(call, entryId); FAILED(hr))
                return hr;
            Item* item = this->host().mailbox.FindItem(entryId);
            if (!item)
                return HRESULT(kErrorNotFound);
            call.ReturnObject(MakeItem(hostShare(), *item));
            return S_OK;
        });
        AddMethod(L"GetFolderFromID", 1, 2, [this](Invocation& call) {
            std::wstring entryId;
            if (HRESULT hr = StoreAndId(call, entryId); FAILED(hr))
                return hr;
            Folder* folder = this->host().mailbox.FindFolder(entryId);
            if (!folder)
                return HRESULT(kErrorNotFound);
            call.ReturnObject(MakeFolder(hostShare(), *folder));
            return S_OK;
        });
    }

private:
    // The EntryID argument, once the StoreID argument, when passed, names
    // the mailbox's store.
    HRESULT StoreAndId(Invocation& call, std::wstring& entryId) {
        if (HRESULT hr = call.GetText(0, entryId); FAILED(hr))
            return hr;
        if (call.has(1)) {
            std::wstring storeId;
            if (HRESULT hr = call.GetText(1, storeId); FAILED(hr))
                return hr;
            if (_wcsicmp(storeId.c_str(), host().mailbox.storeId().c_str()) != 0)
                return HRESULT(kErrorNotFound);
        }
        return S_OK;
    }
};

} // namespace

com_ptr<IDispatch> MakeNamespace(HostShare host) {
    return MakeDispatch<Namespace>(std::move(host));
}

} // namespace sw::sim
