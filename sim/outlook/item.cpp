// Items of a folder. Only mail messages answer _MailItem; meeting requests,
// appointments, contacts and reports answer their own interfaces.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

struct KindInfo {
    const wchar_t* name;
    IID iid;
    long objectClass;
    bool hasSender;
    bool hasRecipients;
};

KindInfo InfoOf(ItemKind kind) noexcept {
    switch (kind) {
    case ItemKind::Mail:
        return {L"MailItem", kIidMailItem, object_class::Mail, true, true};
    case ItemKind::MeetingRequest:
        return {L"MeetingItem", kIidMeetingItem, object_class::MeetingRequest, true, true};
    case ItemKind::Appointment:
        return {L"AppointmentItem", kIidAppointmentItem, object_class::Appointment, false, true};
    case ItemKind::Contact:
        return {L"ContactItem", kIidContactItem, object_class::Contact, false, false};
    case ItemKind::Report:
        break;
    }
    return {L"ReportItem", kIidReportItem, object_class::Report, false, false};
}

class ItemObject final : public DispatchObject {
public:
    ItemObject(HostShare host, Item& item, const KindInfo& info)
        : DispatchObject(std::move(host), info.name, {info.iid}), m_item(item) {
        AddProperty(L"Class", [info](Invocation& call) {
            call.ReturnLong(info.objectClass);
            return S_OK;
        });
        AddProperty(L"EntryID", [this](Invocation& call) {
            call.ReturnText(m_item.entryId);
            return S_OK;
        });
        // The folder the item is in.
        AddProperty(L"Parent", [this](Invocation& call) {
            call.ReturnObject(MakeFolder(hostShare(), m_item.folder()));
            return S_OK;
        });
        AddProperty(L"Subject", [this](Invocation& call) {
            call.ReturnText(m_item.subject);
            return S_OK;
        });
        if (info.hasSender) {
            AddProperty(L"SenderEmailAddress", [this](Invocation& call) {
                call.ReturnText(m_item.senderAddress);
                return S_OK;
            });
            AddProperty(L"SenderEmailType", [this](Invocation& call) {
                call.ReturnText(m_item.senderType);
                return S_OK;
            });
            AddProperty(L"Sender", [this](Invocation& call) {
                call.ReturnObject(
                    MakeAddressEntry(hostShare(), {m_item.senderAddress, m_item.senderAddress,
                                                   m_item.senderType, m_item.senderSmtp}));
                return S_OK;
            });
            AddProperty(L"PropertyAccessor", [this](Invocation& call) {
                call.ReturnObject(MakePropertyAccessor(hostShare(), m_item));
                return S_OK;
            });
        }
        if (info.hasRecipients) {
            AddProperty(L"Recipients", [this](Invocation& call) {
                call.ReturnObject(MakeRecipients(hostShare(), m_item));
                return S_OK;
            });
        }
        AddMethod(L"Move", 1, 1, [this](Invocation& call) { return Move(call); });
    }

private:
    // Moves the item into the folder passed and answers the item in its new
    // place, as a new object.
    HRESULT Move(Invocation& call) {
        com_ptr<IDispatch> target;
        if (HRESULT hr = call.GetDispatch(0, target); FAILED(hr))
            return hr;
        if (!target)
            return E_INVALIDARG;
        Folder* folder = FolderOf(target.get());
        if (!folder)
            return DISP_E_TYPEMISMATCH;
        ++m_item.moveCalls;
        host().mailbox.Move(m_item, *folder);
        call.ReturnObject(MakeItem(hostShare(), m_item));
        return S_OK;
    }

    Item& m_item;
};

} // namespace

com_ptr<IDispatch> MakeItem(HostShare host, Item& item) {
    return MakeDispatch<ItemObject>(std::move(host), item, InfoOf(item.kind));
}

} // namespace sw::sim
