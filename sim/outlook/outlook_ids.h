// Interface identifiers and constants of Outlook's object model that the
// simulated objects answer.
#pragma once

#include <guiddef.h>

namespace sw::sim {

// {0006xxxx-0000-0000-C000-000000000046}
constexpr IID OutlookIid(unsigned long data1) {
    return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr IID kIidApplication = OutlookIid(0x00063001);     // _Application
inline constexpr IID kIidNamespace = OutlookIid(0x00063002);       // _NameSpace
inline constexpr IID kIidExplorer = OutlookIid(0x00063003);        // _Explorer
inline constexpr IID kIidFolder = OutlookIid(0x00063006);          // MAPIFolder
inline constexpr IID kIidContactItem = OutlookIid(0x00063021);     // _ContactItem
inline constexpr IID kIidReportItem = OutlookIid(0x00063026);      // _ReportItem
inline constexpr IID kIidAppointmentItem = OutlookIid(0x00063033); // _AppointmentItem
inline constexpr IID kIidMailItem = OutlookIid(0x00063034);        // _MailItem
inline constexpr IID kIidMeetingItem = OutlookIid(0x00063062);     // _MeetingItem

// An item's Class (OlObjectClass).
namespace object_class {
inline constexpr long Appointment = 26;
inline constexpr long Contact = 40;
inline constexpr long Mail = 43;
inline constexpr long Report = 46;
inline constexpr long MeetingRequest = 53;
} // namespace object_class

// MAPI_E_NOT_FOUND: what the host answers for a folder it does not have.
inline constexpr long kErrorNotFound = static_cast<long>(0x8004010F);

} // namespace sw::sim
