// Collections with Count and a 1-based Item: the selection, a folder's
// items and a message's recipients.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"

namespace sw::sim {

namespace {

class Collection final : public DispatchObject {
public:
    using CountFn = std::function<long()>;
    using ItemFn = std::function<com_ptr<IDispatch>(long)>;

    Collection(HostShare host, std::wstring kind, CountFn count, ItemFn item)
        : DispatchObject(std::move(host), std::move(kind)), m_count(std::move(count)),
          m_item(std::move(item)) {
        AddProperty(L"Count", [this](Invocation& call) {
            call.ReturnLong(m_count());
            return S_OK;
        });
        AddMethod(L"Item", 1, 1, [this](Invocation& call) {
            long index = 0;
            if (HRESULT hr = call.GetLong(0, index); FAILED(hr))
                return hr;
            if (index < 1 || index > m_count())
                return DISP_E_BADINDEX;
            call.ReturnObject(m_item(index));
            return S_OK;
        });
    }

private:
    CountFn m_count;
    ItemFn m_item;
};

} // namespace

com_ptr<IDispatch> MakeCollection(HostShare host, std::wstring kind, std::function<long()> count,
                                  std::function<com_ptr<IDispatch>(long index)> item) {
    return MakeDispatch<Collection>(std::move(host), std::move(kind), std::move(count),
                                    std::move(item));
}

com_ptr<IDispatch> MakeSelection(HostShare host, std::vector<Item*> items) {
    auto shared = std::make_shared<std::vector<Item*>>(std::move(items));
    return MakeCollection(
        host, L"Selection", [shared] { return static_cast<long>(shared->size()); },
        [shared, host](long index) { return MakeItem(host, *(*shared)[index - 1]); });
}

com_ptr<IDispatch> MakeFolderItems(HostShare host, Folder& folder) {
    Folder* f = &folder;
    return MakeCollection(
        host, L"Items", [f] { return static_cast<long>(f->items().size()); },
        [f, host](long index) { return MakeItem(host, *f->items()[index - 1]); });
}

com_ptr<IDispatch> MakeRecipients(HostShare host, Item& item) {
    Item* i = &item;
    return MakeCollection(
        host, L"Recipients", [i] { return static_cast<long>(i->recipients.size()); },
        [i, host](long index) { return MakeRecipient(host, i->recipients[index - 1]); });
}

} // namespace sw::sim
