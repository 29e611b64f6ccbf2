// Interface ids and constants of the Office command bars and the Outlook
// events that the legacy surface works with.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sw {

// {000Cxxxx-0000-0000-C000-000000000046} and {0006xxxx-...}: Office and Outlook.
constexpr IID HostIid(unsigned long data1) {
    return {data1, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr IID kIidCommandBarButton = HostIid(0x000C030E);       // _CommandBarButton
inline constexpr IID kIidCommandBarPopup = HostIid(0x000C030A);        // CommandBarPopup
inline constexpr IID kIidCommandBarButtonEvents = HostIid(0x000C0351); // _CommandBarButtonEvents
inline constexpr IID kIidCommandBarsEvents = HostIid(0x000C0352);      // _CommandBarsEvents
inline constexpr IID kIidApplicationEvents11 = HostIid(0x0006302C);    // ApplicationEvents_11

// Events, by their DISPID in their dispinterface.
inline constexpr DISPID kDispidClick = 1;                       // _CommandBarButtonEvents
inline constexpr DISPID kDispidOnUpdate = 1;                    // _CommandBarsEvents
inline constexpr DISPID kDispidItemContextMenuDisplay = 0xFB41; // ApplicationEvents_11

// MsoControlType, MsoButtonStyle, OlItemType.
inline constexpr LONG kControlButton = 1;
inline constexpr LONG kControlPopup = 10;
inline constexpr LONG kButtonStyleIcon = 1;
inline constexpr LONG kMailItemType = 0;

} // namespace sw
