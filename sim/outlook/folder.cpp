// Folder (MAPIFolder): one folder of the mailbox.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

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
            call.ReturnText(this->host().mailbox.storeId());
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
    }

    Folder& folder() const noexcept { return m_folder; }

private:
    Folder& m_folder;
};

} // namespace

com_ptr<IDispatch> MakeFolder(HostShare host, Folder& folder) {
    return MakeDispatch<FolderObject>(std::move(host), folder);
}

Folder* FolderOf(IDispatch* object) noexcept {
    auto folder = DispatchObject::From<FolderObject>(object);
    return folder ? &folder->folder() : nullptr;
}

} // namespace sw::sim
