#include "sim/outlook/context_menu_layout.h"

#include <utility>

namespace sw::sim {

MenuEntry MenuEntry::Popup(const wchar_t* text, std::vector<MenuEntry> items, bool startsGroup) {
    MenuEntry entry(text, startsGroup);
    entry.popup = true;
    entry.entries = std::move(items);
    return entry;
}

namespace {

MenuEntry JunkMail() {
    return MenuEntry::Popup(L"Junk E-mail", {L"Add Sender to Blocked Senders List",
                                             L"Add Sender to Safe Senders List",
                                             L"Add Sender's Domain to Safe Senders List",
                                             L"Add Recipient to Safe Recipients List",
                                             {L"Mark as Not Junk...", true},
                                             {L"Junk E-mail Options...", true}});
}

MenuEntry FindAll() {
    return MenuEntry::Popup(L"Find All", {L"Related Messages", L"Messages from Sender"});
}

} // namespace

MenuLayout DefaultContextMenu(long majorVersion) {
    if (majorVersion < 12) {
        return {L"Open",
                L"Print",
                {L"Reply", true},
                L"Reply to All",
                L"Forward",
                MenuEntry::Popup(L"Follow Up", {L"Red Flag", L"Blue Flag", L"Clear Flag"}, true),
                L"Categories...",
                L"Mark as Unread",
                FindAll(),
                JunkMail(),
                {L"Delete", true},
                L"Move to Folder...",
                {L"Options...", true}};
    }
    return {L"Open",
            L"Print",
            {L"Reply", true},
            L"Reply to All",
            L"Forward",
            MenuEntry::Popup(L"Follow Up",
                             {L"Today",
                              L"Tomorrow",
                              L"This Week",
                              L"Next Week",
                              L"No Date",
                              L"Custom...",
                              {L"Add Reminder...", true},
                              L"Clear Flag"},
                             true),
            MenuEntry::Popup(L"Categorize", {L"Clear All Categories", L"All Categories..."}),
            L"Mark as Unread",
            FindAll(),
            L"Create Rule...",
            JunkMail(),
            {L"Delete", true},
            L"Move to Folder...",
            {L"Message Options...", true}};
}

} // namespace sw::sim
