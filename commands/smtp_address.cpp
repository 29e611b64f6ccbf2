#include "commands/smtp_address.h"

#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"

namespace sw {
namespace {

// PrimarySmtpAddress of an address entry's Exchange user; "" for an entry
// that is none (GetExchangeUser then answers Nothing).
std::wstring ExchangeUserSmtp(IDispatch* addressEntry) {
    if (!addressEntry)
        return {};
    const Dispatch user = FindObject(addressEntry, L"GetExchangeUser");
    return user ? GetText(user.get(), L"PrimarySmtpAddress") : std::wstring();
}

// The Exchange lookups are a second chance: when one fails, the message is
// left alone.
std::wstring ExchangeSenderSmtp(IDispatch* mail) {
    // The message's own property first: it needs no directory lookup. A
    // message without it makes GetProperty fail, which is no fault.
    if (const Dispatch accessor = FindObject(mail, L"PropertyAccessor")) {
        const unique_variant name = unique_variant::FromText(kSenderSmtpAddressProperty);
        unique_variant value;
        if (SUCCEEDED(InvokeByName(accessor.get(), L"GetProperty", DISPATCH_METHOD, {&name.get()},
                                   value)) &&
            value.type() == VT_BSTR) {
            std::wstring smtp = BstrText(V_BSTR(&value.get()));
            if (!smtp.empty())
                return smtp;
        }
    }
    const Dispatch sender = FindObject(mail, L"Sender");
    return ExchangeUserSmtp(sender.get());
}

} // namespace

std::wstring SenderSmtpAddress(IDispatch* mail) {
    std::wstring address = GetText(mail, L"SenderEmailAddress");
    if (!EqualsIgnoringAsciiCase(GetText(mail, L"SenderEmailType"), kExchangeAddressType))
        return address;
    try {
        return ExchangeSenderSmtp(mail);
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
        return {};
    }
}

std::wstring RecipientSmtpAddress(IDispatch* recipient) {
    std::wstring address = GetText(recipient, L"Address");
    if (address.find(L'@') != std::wstring::npos)
        return address;
    try {
        const Dispatch entry = FindObject(recipient, L"AddressEntry");
        if (entry && EqualsIgnoringAsciiCase(GetText(entry.get(), L"Type"), kExchangeAddressType))
            return ExchangeUserSmtp(entry.get());
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
        return {};
    }
    return address;
}

} // namespace sw
