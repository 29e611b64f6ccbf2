// AddressEntry, ExchangeUser and a message's PropertyAccessor: where an
// Exchange sender's or recipient's SMTP address is found.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"

namespace sw::sim {

// The MAPI property PR_SENDER_SMTP_ADDRESS by its DASL name: the only one
// the simulated PropertyAccessor knows.
constexpr wchar_t kSenderSmtpProperty[] = L"http://schemas.microsoft.com/mapi/proptag/0x5D01001F";

namespace {

class ExchangeUser final : public DispatchObject {
public:
    ExchangeUser(HostShare host, std::wstring smtp)
        : DispatchObject(std::move(host), L"ExchangeUser"), m_smtp(std::move(smtp)) {
        AddProperty(L"PrimarySmtpAddress", [this](Invocation& call) {
            call.ReturnText(m_smtp);
            return S_OK;
        });
    }

private:
    std::wstring m_smtp;
};

class AddressEntry final : public DispatchObject {
public:
    AddressEntry(HostShare host, MailRecipient entry)
        : DispatchObject(std::move(host), L"AddressEntry"), m_entry(std::move(entry)) {
        AddProperty(L"Type", [this](Invocation& call) {
            call.ReturnText(m_entry.type);
            return S_OK;
        });
        AddProperty(L"Address", [this](Invocation& call) {
            call.ReturnText(m_entry.address);
            return S_OK;
        });
        // Nothing for an entry that is no Exchange user, as Outlook answers.
        AddMethod(L"GetExchangeUser", 0, 0, [this](Invocation& call) {
            call.ReturnObject(m_entry.type == L"EX"
                                  ? MakeDispatch<ExchangeUser>(hostShare(), m_entry.smtp)
                                  : com_ptr<IDispatch>());
            return S_OK;
        });
    }

private:
    MailRecipient m_entry;
};

class PropertyAccessor final : public DispatchObject {
public:
    PropertyAccessor(HostShare host, Item& item)
        : DispatchObject(std::move(host), L"PropertyAccessor"), m_item(item) {
        // A property the message does not have, or one this stand-in does
        // not know, raises an error as Outlook's does.
        AddMethod(L"GetProperty", 1, 1, [this](Invocation& call) {
            std::wstring name;
            if (HRESULT hr = call.GetText(0, name); FAILED(hr))
                return hr;
            if (name != kSenderSmtpProperty || !m_item.senderSmtpProperty ||
                m_item.senderSmtp.empty())
                return DISP_E_EXCEPTION;
            call.ReturnText(m_item.senderSmtp);
            return S_OK;
        });
    }

private:
    Item& m_item;
};

} // namespace

com_ptr<IDispatch> MakeAddressEntry(HostShare host, MailRecipient entry) {
    return MakeDispatch<AddressEntry>(std::move(host), std::move(entry));
}

com_ptr<IDispatch> MakePropertyAccessor(HostShare host, Item& item) {
    return MakeDispatch<PropertyAccessor>(std::move(host), item);
}

} // namespace sw::sim
