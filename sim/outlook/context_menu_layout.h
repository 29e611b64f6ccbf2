// What the host's item context menu holds: the entries a test or the host
// builds the "Context Menu" command bar from.
#pragma once

#include <string>
#include <vector>

namespace sw::sim {

// One entry: a button, or a popup with entries of its own.
struct MenuEntry {
    MenuEntry(const wchar_t* text, bool startsGroup = false)
        : caption(text), beginGroup(startsGroup) {}
    static MenuEntry Popup(const wchar_t* text, std::vector<MenuEntry> items,
                           bool startsGroup = false);

    std::wstring caption;
    bool beginGroup = false;
    bool popup = false;
    std::vector<MenuEntry> entries;
};
using MenuLayout = std::vector<MenuEntry>;

// The context menu of a mail message as the host of that major version
// shows it; its "Junk E-mail" popup holds the host's own junk-mail entries.
MenuLayout DefaultContextMenu(long majorVersion);

} // namespace sw::sim
