// Office and Outlook ids and constants the add-in works with, each defined
// once here: type libraries, interfaces, events, enumeration values.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sw {

// {000Cxxxx-0000-0000-C000-000000000046} and {0006xxxx-...}: Office and Outlook.
constexpr IID HostIid(unsigned long data1) {
    return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

// The add-in designer library (_IDTExtensibility2), version 1.0, and the
// Office library (IRibbonExtensibility), which every Office registers as 2.x
// (2.4 for 2007, 2.5 for 2010, 2.8 for 2016 and later); 1.0 is asked for
// only when no 2.x is registered.
inline constexpr GUID kAddInDesignerLibId = {
    0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};
inline constexpr GUID kOfficeLibId = {
    0x2DF8D04C, 0x5BFA, 0x101B, {0xBD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0xDE, 0x52}};
inline constexpr WORD kOfficeLibMajor = 2;
inline constexpr WORD kOfficeLibFallbackMajor = 1;

inline constexpr IID kIidApplication = HostIid(0x00063001);      // Outlook's _Application
inline constexpr IID kIidMailItem = HostIid(0x00063034);         // _MailItem: mail messages only
inline constexpr IID kIidCommandBarButton = HostIid(0x000C030E); // _CommandBarButton
inline constexpr IID kIidCommandBarPopup = HostIid(0x000C030A);  // CommandBarPopup
inline constexpr IID kIidCommandBarButtonEvents = HostIid(0x000C0351); // _CommandBarButtonEvents
inline constexpr IID kIidCommandBarsEvents = HostIid(0x000C0352);      // _CommandBarsEvents
inline constexpr IID kIidApplicationEvents11 = HostIid(0x0006302C);    // ApplicationEvents_11
inline constexpr IID kIidExplorersEvents = HostIid(0x00063078);        // ExplorersEvents
inline constexpr IID kIidExplorerEvents10 = HostIid(0x0006300F);       // ExplorerEvents_10

// Events, by their DISPID in their dispinterface.
inline constexpr DISPID kDispidClick = 1;                       // _CommandBarButtonEvents
inline constexpr DISPID kDispidOnUpdate = 1;                    // _CommandBarsEvents
inline constexpr DISPID kDispidItemContextMenuDisplay = 0xFB41; // ApplicationEvents_11
// NewMailEx(EntryIDCollection), ApplicationEvents_11 (Outlook 2003 and later).
inline constexpr DISPID kDispidNewMailEx = 0xFAB5;
// NewExplorer(Explorer), ExplorersEvents; Activate, ExplorerEvents_10.
inline constexpr DISPID kDispidNewExplorer = 0xF001;
inline constexpr DISPID kDispidActivate = 0xF001;

// PR_SENDER_SMTP_ADDRESS by its DASL name, for PropertyAccessor.GetProperty.
inline constexpr wchar_t kSenderSmtpAddressProperty[] =
    L"http://schemas.microsoft.com/mapi/proptag/0x5D01001F";
// SenderEmailType and AddressEntry.Type of an Exchange user.
inline constexpr wchar_t kExchangeAddressType[] = L"EX";

// MsoControlType, MsoButtonStyle, OlItemType, OlDefaultFolders.
inline constexpr LONG kControlButton = 1;
inline constexpr LONG kControlPopup = 10;
inline constexpr LONG kButtonStyleIcon = 1;
inline constexpr LONG kMailItemType = 0;        // olMailItem
inline constexpr LONG kJunkFolder = 23;         // olFolderJunk
inline constexpr LONG kConversationHeaders = 1; // OlSelectionContents
// Store.ExchangeStoreType (OlExchangeStoreType) of stores that are not the
// user's own: another user's mailbox opened beside the user's, and public
// folders.
inline constexpr LONG kDelegateMailboxStore = 1; // olExchangeDelegateMailbox
inline constexpr LONG kPublicFoldersStore = 2;   // olExchangePublicFolder
// What GetItemFromID and GetFolderFromID raise for an id nothing has (any
// more), MAPI_E_NOT_FOUND; any other failure is the host's, not the id's.
inline constexpr HRESULT kHostNotFound = static_cast<HRESULT>(0x8004010F);

// CommandBarButton.FaceId: Office's built-in button faces that the toolbar's
// Options, Support and Help buttons show (Block Senders and Block Domains
// carry pictures of their own).
inline constexpr LONG kOptionsFaceId = 917;
inline constexpr LONG kSupportFaceId = 1675;
inline constexpr LONG kHelpFaceId = 984;

} // namespace sw
