// Collections with Count and a 1-based Item: the selection, a folder's
// items (with Restrict) and a message's recipients.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/sender_condition.h"

#include <cwchar>
#include <optional>

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

// olConversationHeaders: GetSelection's only kind here.
constexpr long kConversationHeaders = 1;

com_ptr<IDispatch> MakeItemList(HostShare host, std::wstring kind, std::vector<Item*> items) {
    auto shared = std::make_shared<std::vector<Item*>>(std::move(items));
    return MakeCollection(
        host, std::move(kind), [shared] { return static_cast<long>(shared->size()); },
        [shared, host](long index) { return MakeItem(host, *(*shared)[index - 1]); });
}

namespace {

class ConversationHeader final : public DispatchObject {
public:
    ConversationHeader(HostShare host, std::vector<Item*> items)
        : DispatchObject(std::move(host), L"ConversationHeader"), m_items(std::move(items)) {
        // The conversation's items in the folder shown, as they are now.
        AddMethod(L"GetItems", 0, 0, [this](Invocation& call) {
            std::vector<Item*> here;
            for (Item* item : m_items) {
                if (&item->folder() == &this->host().mailbox.currentFolder())
                    here.push_back(item);
            }
            call.ReturnObject(MakeItemList(hostShare(), L"SimpleItems", std::move(here)));
            return S_OK;
        });
    }

private:
    std::vector<Item*> m_items;
};

// A folder's Items, or what Restrict kept of them: Count and Item over
// those still in the folder, so that a message moved away leaves the
// collection as it does in Outlook.
class FolderItems final : public DispatchObject {
public:
    FolderItems(HostShare host, Folder& folder, std::optional<std::vector<Item*>> kept)
        : DispatchObject(std::move(host), L"Items"), m_folder(folder), m_kept(std::move(kept)) {
        AddProperty(L"Count", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(Current().size()));
            return S_OK;
        });
        AddMethod(L"Item", 1, 1, [this](Invocation& call) {
            long index = 0;
            if (HRESULT hr = call.GetLong(0, index); FAILED(hr))
                return hr;
            const std::vector<Item*> items = Current();
            if (index < 1 || index > static_cast<long>(items.size()))
                return DISP_E_BADINDEX;
            call.ReturnObject(MakeItem(hostShare(), *items[static_cast<size_t>(index - 1)]));
            return S_OK;
        });
        // Only conditions on the sender's address; Outlook raises an
        // exception for a filter it cannot parse.
        AddMethod(L"Restrict", 1, 1, [this](Invocation& call) {
            std::wstring filter;
            if (HRESULT hr = call.GetText(0, filter); FAILED(hr))
                return hr;
            const std::optional<SenderCondition> condition = ParseSenderCondition(filter);
            if (!condition)
                return DISP_E_EXCEPTION;
            std::vector<Item*> kept;
            for (Item* item : Current()) {
                if (Meets(*condition, *item))
                    kept.push_back(item);
            }
            call.ReturnObject(MakeDispatch<FolderItems>(hostShare(), m_folder, std::move(kept)));
            return S_OK;
        });
    }

private:
    std::vector<Item*> Current() const {
        if (!m_kept)
            return m_folder.items();
        std::vector<Item*> here;
        for (Item* item : *m_kept) {
            if (m_folder.contains(*item))
                here.push_back(item);
        }
        return here;
    }

    Folder& m_folder;
    std::optional<std::vector<Item*>> m_kept; // nothing: every item of the folder
};

class Selection final : public DispatchObject {
public:
    Selection(HostShare host, std::vector<Item*> items,
              std::vector<std::vector<Item*>> conversations)
        : DispatchObject(std::move(host), L"Selection"), m_items(std::move(items)),
          m_conversations(std::move(conversations)) {
        AddProperty(L"Count", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(m_items.size()));
            return S_OK;
        });
        AddMethod(L"Item", 1, 1, [this](Invocation& call) {
            long index = 0;
            if (HRESULT hr = call.GetLong(0, index); FAILED(hr))
                return hr;
            if (index < 1 || index > static_cast<long>(m_items.size()))
                return DISP_E_BADINDEX;
            call.ReturnObject(MakeItem(hostShare(), *m_items[static_cast<size_t>(index - 1)]));
            return S_OK;
        });
        // Outlook 2010 and later; only the conversation headers here.
        AddMethod(L"GetSelection", 1, 1, [this](Invocation& call) {
            long kind = 0;
            if (HRESULT hr = call.GetLong(0, kind); FAILED(hr))
                return hr;
            if (kind != kConversationHeaders || this->host().majorVersion() < 14)
                return DISP_E_EXCEPTION;
            auto headers = std::make_shared<std::vector<std::vector<Item*>>>(m_conversations);
            HostShare share = hostShare();
            call.ReturnObject(MakeCollection(
                share, L"Selection", [headers] { return static_cast<long>(headers->size()); },
                [headers, share](long index) {
                    return MakeDispatch<ConversationHeader>(
                        share, (*headers)[static_cast<size_t>(index - 1)]);
                }));
            return S_OK;
        });
    }

private:
    std::vector<Item*> m_items;
    std::vector<std::vector<Item*>> m_conversations;
};

} // namespace

com_ptr<IDispatch> MakeSelection(HostShare host, std::vector<Item*> items,
                                 std::vector<std::vector<Item*>> conversations) {
    return MakeDispatch<Selection>(std::move(host), std::move(items), std::move(conversations));
}

com_ptr<IDispatch> MakeFolderItems(HostShare host, Folder& folder) {
    return MakeDispatch<FolderItems>(std::move(host), folder, std::nullopt);
}

com_ptr<IDispatch> MakeRecipients(HostShare host, Item& item) {
    Item* i = &item;
    return MakeCollection(
        host, L"Recipients", [i] { return static_cast<long>(i->recipients.size()); },
        [i, host](long index) { return MakeRecipient(host, i->recipients[index - 1]); });
}

} // namespace sw::sim
