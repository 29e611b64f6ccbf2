// Recipient: one addressee of a message.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"

namespace sw::sim {

namespace {

class Recipient final : public DispatchObject {
public:
    Recipient(HostShare host, MailRecipient recipient)
        : DispatchObject(std::move(host), L"Recipient"), m_recipient(std::move(recipient)) {
        AddProperty(L"Address", [this](Invocation& call) {
            call.ReturnText(m_recipient.address);
            return S_OK;
        });
        AddProperty(L"Name", [this](Invocation& call) {
            call.ReturnText(m_recipient.name);
            return S_OK;
        });
        AddProperty(L"AddressEntry", [this](Invocation& call) {
            call.ReturnObject(MakeAddressEntry(hostShare(), m_recipient));
            return S_OK;
        });
    }

private:
    MailRecipient m_recipient;
};

} // namespace

com_ptr<IDispatch> MakeRecipient(HostShare host, MailRecipient recipient) {
    return MakeDispatch<Recipient>(std::move(host), std::move(recipient));
}

} // namespace sw::sim
