// The plain data behind the simulated Office command bars of the explorer
// window: the bars in order, their controls in order (a popup holds controls
// of its own), every property an add-in can set, and the event sinks advised
// on them. Tests read and change it directly; the IDispatch objects work on it.
//
// A control or bar the host removes (Delete, the context menu closing, a
// temporary control at a restart) is marked removed and leaves its list, but
// the set keeps it, with the sinks still advised on it, until the next
// restart: a sink left advised stays visible and can still be unadvised.
//
//   CommandBarSet& bars = outlook.commandBars();
//   CommandBar* toolbar = bars.Find(L"Spamwarden");
//   CommandBarControl& first = toolbar->controls()[0];
//   first.tag, first.tooltipText, first.pictureWidth(), first.clickSinks().size()
#pragma once

#include "platform/com_ptr.h"
#include "sim/outlook/context_menu_layout.h"
#include "sim/outlook/event_sinks.h"

#include <oaidl.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sw::sim {

// Control types (MsoControlType) that Controls.Add accepts.
namespace control_type {
inline constexpr long Button = 1;
inline constexpr long Edit = 2;
inline constexpr long Dropdown = 3;
inline constexpr long ComboBox = 4;
inline constexpr long Popup = 10;
} // namespace control_type

bool IsControlType(long type) noexcept;

// Bar positions (MsoBarPosition) that CommandBars.Add accepts.
namespace bar_position {
inline constexpr long Left = 0;
inline constexpr long Top = 1;
inline constexpr long Floating = 4;
inline constexpr long Popup = 5;
inline constexpr long MenuBar = 6;
} // namespace bar_position

// The name of the item context menu while it is shown.
inline constexpr wchar_t kContextMenuName[] = L"Context Menu";

class CommandBar;
class CommandBarControl;

// The controls of a bar or of a popup, in the order the host shows them.
class CommandBarControls {
public:
    static constexpr size_t kAtEnd = static_cast<size_t>(-1);

    CommandBarControls(const CommandBarControls&) = delete;
    CommandBarControls& operator=(const CommandBarControls&) = delete;

    size_t size() const noexcept { return m_items.size(); }
    bool empty() const noexcept { return m_items.empty(); }
    // 0-based, unlike the Item of the host's collection.
    CommandBarControl& operator[](size_t index) const { return *m_items.at(index); }
    // Inserts a control at the 0-based `position` (kAtEnd or size(): last).
    CommandBarControl& Add(long type, std::wstring caption = {}, bool temporary = false,
                           size_t position = kAtEnd);
    std::vector<std::wstring> captions() const;

    // The bar the list belongs to, directly or through popups.
    CommandBar& bar() const noexcept { return *m_bar; }
    // The popup that holds the list, or nullptr for a bar's own controls.
    CommandBarControl* popup() const noexcept { return m_popup; }
    // False once the bar or popup that holds it has been removed.
    bool live() const noexcept { return m_live; }

private:
    friend class CommandBar;
    friend class CommandBarControl;
    friend class CommandBarSet;
    CommandBarControls(CommandBar* bar, CommandBarControl* popup) noexcept
        : m_bar(bar), m_popup(popup) {}
    // Takes `control` out of the list.
    std::shared_ptr<CommandBarControl> Take(const CommandBarControl& control);
    // The list and everything in it, popups' entries included, are removed.
    void Detach() noexcept;
    // Releases the sinks of every control in it, popups' entries included.
    size_t ReleaseSinks();

    std::vector<std::shared_ptr<CommandBarControl>> m_items;
    CommandBar* m_bar;
    CommandBarControl* m_popup;
    bool m_live = true;
};

class CommandBarControl : public std::enable_shared_from_this<CommandBarControl> {
public:
    CommandBarControl(long type, bool temporary, CommandBarControls& parent);
    CommandBarControl(const CommandBarControl&) = delete;
    CommandBarControl& operator=(const CommandBarControl&) = delete;

    long type() const noexcept { return m_type; }
    bool isButton() const noexcept { return m_type == control_type::Button; }
    bool isPopup() const noexcept { return m_type == control_type::Popup; }
    bool temporary() const noexcept { return m_temporary; }
    bool removed() const noexcept { return m_parent == nullptr; }
    // The list the control is in; nullptr once removed.
    CommandBarControls* parent() const noexcept { return m_parent; }
    // Whether a user can click it now: a visible, enabled button of a live,
    // visible bar, reached through visible, enabled popups.
    bool userCanClick() const noexcept;

    long id = 1;
    std::wstring parameter;
    std::wstring caption;
    std::wstring tag;
    std::wstring tooltipText;
    long style = 0; // MsoButtonStyle: 0 automatic, 1 icon, 2 caption, 3 icon and caption
    long faceId = 0;
    bool visible = true;
    bool enabled = true;
    bool beginGroup = false;

    // The picture put on a button, kept as given, and its size in pixels
    // (0 x 0 without a picture).
    const com_ptr<IDispatch>& picture() const noexcept { return m_picture; }
    long pictureWidth() const noexcept { return m_pictureWidth; }
    long pictureHeight() const noexcept { return m_pictureHeight; }
    void SetPicture(com_ptr<IDispatch> picture, long width, long height);
    // The mask put on a button (white where the picture is transparent),
    // kept as given. A new picture drops it: a mask goes with the picture
    // it was set after.
    const com_ptr<IDispatch>& mask() const noexcept { return m_mask; }
    void SetMask(com_ptr<IDispatch> mask) { m_mask = std::move(mask); }

    // A popup's entries; empty for other types.
    CommandBarControls& controls() noexcept { return m_controls; }
    const CommandBarControls& controls() const noexcept { return m_controls; }
    // _CommandBarButtonEvents sinks (buttons only).
    EventSinks& clickSinks() noexcept { return m_clickSinks; }

private:
    friend class CommandBarControls;
    friend class CommandBarSet;

    void Detach() noexcept;

    long m_type;
    bool m_temporary;
    CommandBarControls* m_parent;
    com_ptr<IDispatch> m_picture;
    com_ptr<IDispatch> m_mask;
    long m_pictureWidth = 0;
    long m_pictureHeight = 0;
    CommandBarControls m_controls;
    EventSinks m_clickSinks;
};

class CommandBar : public std::enable_shared_from_this<CommandBar> {
public:
    CommandBar(std::wstring name, bool temporary);
    CommandBar(const CommandBar&) = delete;
    CommandBar& operator=(const CommandBar&) = delete;

    const std::wstring& name() const noexcept { return m_name; }
    bool temporary() const noexcept { return m_temporary; }
    bool removed() const noexcept { return !m_controls.live(); }

    bool visible = false;
    long position = bar_position::Top;
    bool menuBar = false;

    CommandBarControls& controls() noexcept { return m_controls; }
    const CommandBarControls& controls() const noexcept { return m_controls; }

private:
    friend class CommandBarSet;

    std::wstring m_name;
    bool m_temporary;
    CommandBarControls m_controls;
};

// The explorer's command bars, which outlive a restart of the host.
class CommandBarSet {
public:
    // The host's own bars: "Menu Bar", "Standard", "Advanced", "Web"; the
    // first two visible.
    CommandBarSet();
    CommandBarSet(const CommandBarSet&) = delete;
    CommandBarSet& operator=(const CommandBarSet&) = delete;

    size_t size() const noexcept { return m_bars.size(); }
    // 0-based, unlike the Item of the host's collection.
    CommandBar& operator[](size_t index) const { return *m_bars.at(index); }
    std::vector<std::wstring> names() const;
    // The bar of that name, compared without regard to case as the host
    // does, or nullptr.
    CommandBar* Find(std::wstring_view name) const noexcept;
    // A new bar, last; hidden as the host's new bars are. The caller makes
    // sure no bar has that name.
    CommandBar& Add(std::wstring name, bool temporary = false);
    // "Custom 1", "Custom 2", ...: the first such name no bar has.
    std::wstring UnusedName() const;

    // The control leaves its list (Delete).
    void Remove(CommandBarControl& control);

    // The "Context Menu" bar while it is shown (last in the set), else nullptr.
    CommandBar* contextMenu() const noexcept { return m_contextMenu.get(); }
    // Closes a menu still shown, then shows a new one built from `layout`.
    CommandBar& OpenContextMenu(const MenuLayout& layout);
    void CloseContextMenu();

    // The host ends and starts again: the context menu closes, temporary
    // bars and temporary controls go, and every advised sink is released;
    // the other bars and controls keep their properties and order. Answers
    // how many sinks were released.
    size_t Restart();

    // _CommandBarsEvents of the collection, and the application's
    // ApplicationEvents_11 (whose ItemContextMenuDisplay the context menu raises).
    EventSinks& updateSinks() noexcept { return m_updateSinks; }
    EventSinks& applicationSinks() noexcept { return m_applicationSinks; }
    // The Explorers collection's ExplorersEvents, and ExplorerEvents_10 of
    // the explorer (every Explorer object stands for the one window).
    EventSinks& explorersSinks() noexcept { return m_explorersSinks; }
    EventSinks& explorerSinks() noexcept { return m_explorerSinks; }

private:
    // Moves the bar from the set to the removed ones.
    void RemoveBar(const CommandBar& bar);
    // Moves the temporary controls of `list` and of its popups to the removed ones.
    void DropTemporary(CommandBarControls& list);

    std::vector<std::shared_ptr<CommandBar>> m_bars;
    std::shared_ptr<CommandBar> m_contextMenu;
    // Removed since the last restart, kept for the sinks still advised on them.
    std::vector<std::shared_ptr<CommandBar>> m_removedBars;
    std::vector<std::shared_ptr<CommandBarControl>> m_removedControls;
    EventSinks m_updateSinks;
    EventSinks m_applicationSinks;
    EventSinks m_explorersSinks;
    EventSinks m_explorerSinks;
};

} // namespace sw::sim
