// Interface identifiers and constants of Outlook's object model that the
// simulated objects answer.
#pragma once

#include <windows.h>
#include <oaidl.h>

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
// The application's events: outgoing dispinterface ApplicationEvents_11.
inline constexpr IID kIidApplicationEvents11 = OutlookIid(0x0006302C);
// The explorers' events (ExplorersEvents) and an explorer's (ExplorerEvents_10).
inline constexpr IID kIidExplorers = OutlookIid(0x0006300A);        // _Explorers
inline constexpr IID kIidExplorersEvents = OutlookIid(0x00063078);  // ExplorersEvents
inline constexpr IID kIidExplorerEvents10 = OutlookIid(0x0006300F); // ExplorerEvents_10

// Office's command bars: {000Cxxxx-0000-0000-C000-000000000046}.
constexpr IID OfficeIid(unsigned long data1) {
    return OutlookIid(data1);
}

inline constexpr IID kIidCommandBars = OfficeIid(0x000C0302);            // _CommandBars
inline constexpr IID kIidCommandBar = OfficeIid(0x000C0304);             // CommandBar
inline constexpr IID kIidCommandBarControls = OfficeIid(0x000C0306);     // CommandBarControls
inline constexpr IID kIidCommandBarControl = OfficeIid(0x000C0308);      // CommandBarControl
inline constexpr IID kIidCommandBarPopup = OfficeIid(0x000C030A);        // CommandBarPopup
inline constexpr IID kIidCommandBarButton = OfficeIid(0x000C030E);       // _CommandBarButton
inline constexpr IID kIidCommandBarButtonEvents = OfficeIid(0x000C0351); // _CommandBarButtonEvents
inline constexpr IID kIidCommandBarsEvents = OfficeIid(0x000C0352);      // _CommandBarsEvents

// Events: their DISPIDs in their dispinterfaces.
inline constexpr DISPID kDispidClick = 1;                       // _CommandBarButtonEvents
inline constexpr DISPID kDispidOnUpdate = 1;                    // _CommandBarsEvents
inline constexpr DISPID kDispidItemContextMenuDisplay = 0xFB41; // ApplicationEvents_11
inline constexpr DISPID kDispidNewMailEx = 0xFAB5;              // ApplicationEvents_11
inline constexpr DISPID kDispidNewExplorer = 0xF001;            // ExplorersEvents
inline constexpr DISPID kDispidActivate = 0xF001;               // ExplorerEvents_10

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

// What every member of a command bar or control that the host has removed
// (deleted, closed with its menu, dropped at a restart) fails with.
inline constexpr HRESULT kErrorRemovedObject = E_FAIL;

} // namespace sw::sim
