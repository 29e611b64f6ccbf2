// The SMTP addresses of a message's sender and recipients. An Exchange
// user's address as Outlook reports it is an X.500 path ("/O=.../CN=..."),
// which must never reach the Blocked Senders list.
#pragma once

#include <oaidl.h>

#include <string>

namespace sw {

// SenderEmailAddress; for an Exchange sender ("EX") the message's
// PR_SENDER_SMTP_ADDRESS, else the PrimarySmtpAddress of the sender's
// Exchange user, else "" (the message is then left alone). Raises host
// failures of the sender's own properties only.
std::wstring SenderSmtpAddress(IDispatch* mail);

// A recipient's Address; for an Exchange user (an address without "@"), the
// PrimarySmtpAddress of its address entry's Exchange user ("" when it has
// none).
std::wstring RecipientSmtpAddress(IDispatch* recipient);

} // namespace sw
