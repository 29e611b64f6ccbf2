#include "sim/outlook/command_bar_model.h"

#include "sim/outlook/fault_plan.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace sw::sim {

bool IsControlType(long type) noexcept {
    return (type >= control_type::Button && type <= control_type::ComboBox) ||
           type == control_type::Popup;
}

CommandBarControl& CommandBarControls::Add(long type, std::wstring caption, bool temporary,
                                           size_t position) {
    auto control = std::make_shared<CommandBarControl>(type, temporary, *this);
    control->caption = std::move(caption);
    position = std::min(position, m_items.size());
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(position), control);
    return *control;
}

std::vector<std::wstring> CommandBarControls::captions() const {
    std::vector<std::wstring> result;
    for (const auto& control : m_items)
        result.push_back(control->caption);
    return result;
}

std::shared_ptr<CommandBarControl> CommandBarControls::Take(const CommandBarControl& control) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&control](const auto& item) { return item.get() == &control; });
    if (it == m_items.end())
        return nullptr;
    std::shared_ptr<CommandBarControl> taken = std::move(*it);
    m_items.erase(it);
    return taken;
}

void CommandBarControls::Detach() noexcept {
    m_live = false;
    for (const auto& control : m_items)
        control->Detach();
}

size_t CommandBarControls::ReleaseSinks() {
    size_t released = 0;
    for (const auto& control : m_items)
        released += control->m_clickSinks.ReleaseAll() + control->m_controls.ReleaseSinks();
    return released;
}

CommandBarControl::CommandBarControl(long type, bool temporary, CommandBarControls& parent)
    : m_type(type), m_temporary(temporary), m_parent(&parent), m_controls(&parent.bar(), this) {}

void CommandBarControl::Detach() noexcept {
    m_parent = nullptr;
    m_controls.Detach();
}

bool CommandBarControl::userCanClick() const noexcept {
    if (!isButton() || !visible || !enabled)
        return false;
    for (const CommandBarControls* list = m_parent; list;) {
        if (!list->live())
            return false;
        const CommandBarControl* popup = list->popup();
        if (!popup)
            return list->bar().visible;
        if (!popup->visible || !popup->enabled)
            return false;
        list = popup->m_parent;
    }
    return false;
}

void CommandBarControl::SetPicture(com_ptr<IDispatch> picture, long width, long height) {
    m_picture = std::move(picture);
    m_mask = nullptr;
    m_pictureWidth = m_picture ? width : 0;
    m_pictureHeight = m_picture ? height : 0;
}

CommandBar::CommandBar(std::wstring name, bool temporary)
    : m_name(std::move(name)), m_temporary(temporary), m_controls(this, nullptr) {}

CommandBarSet::CommandBarSet() {
    Add(L"Menu Bar").visible = true;
    m_bars.back()->menuBar = true;
    m_bars.back()->position = bar_position::MenuBar;
    Add(L"Standard").visible = true;
    Add(L"Advanced");
    Add(L"Web");
}

std::vector<std::wstring> CommandBarSet::names() const {
    std::vector<std::wstring> result;
    for (const auto& bar : m_bars)
        result.push_back(bar->name());
    return result;
}

CommandBar* CommandBarSet::Find(std::wstring_view name) const noexcept {
    const std::wstring wanted(name);
    for (const auto& bar : m_bars) {
        if (SameName(bar->name(), wanted))
            return bar.get();
    }
    return nullptr;
}

CommandBar& CommandBarSet::Add(std::wstring name, bool temporary) {
    m_bars.push_back(std::make_shared<CommandBar>(std::move(name), temporary));
    return *m_bars.back();
}

std::wstring CommandBarSet::UnusedName() const {
    for (unsigned n = 1;; ++n) {
        std::wstring name = L"Custom " + std::to_wstring(n);
        if (!Find(name))
            return name;
    }
}

void CommandBarSet::Remove(CommandBarControl& control) {
    CommandBarControls* parent = control.parent();
    if (!parent)
        return;
    if (auto taken = parent->Take(control)) {
        taken->Detach();
        m_removedControls.push_back(std::move(taken));
    }
}

CommandBar& CommandBarSet::OpenContextMenu(const MenuLayout& layout) {
    CloseContextMenu();
    CommandBar& menu = Add(kContextMenuName, true);
    menu.visible = true;
    menu.position = bar_position::Popup;
    m_contextMenu = m_bars.back();
    struct Builder {
        static void Fill(CommandBarControls& list, const MenuLayout& entries) {
            for (const MenuEntry& entry : entries) {
                CommandBarControl& control = list.Add(
                    entry.popup ? control_type::Popup : control_type::Button, entry.caption, true);
                control.beginGroup = entry.beginGroup;
                Fill(control.controls(), entry.entries);
            }
        }
    };
    Builder::Fill(menu.controls(), layout);
    return menu;
}

void CommandBarSet::CloseContextMenu() {
    if (auto menu = std::exchange(m_contextMenu, nullptr))
        RemoveBar(*menu);
}

void CommandBarSet::RemoveBar(const CommandBar& bar) {
    auto it = std::find_if(m_bars.begin(), m_bars.end(),
                           [&bar](const auto& item) { return item.get() == &bar; });
    if (it == m_bars.end())
        return;
    std::shared_ptr<CommandBar> taken = std::move(*it);
    m_bars.erase(it);
    taken->m_controls.Detach();
    m_removedBars.push_back(std::move(taken));
}

void CommandBarSet::DropTemporary(CommandBarControls& list) {
    std::vector<CommandBarControl*> temporary;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].temporary())
            temporary.push_back(&list[i]);
        else
            DropTemporary(list[i].controls());
    }
    for (CommandBarControl* control : temporary)
        Remove(*control);
}

size_t CommandBarSet::Restart() {
    CloseContextMenu();
    std::vector<const CommandBar*> temporary;
    for (const auto& bar : m_bars) {
        if (bar->temporary())
            temporary.push_back(bar.get());
    }
    for (const CommandBar* bar : temporary)
        RemoveBar(*bar);
    for (const auto& bar : m_bars)
        DropTemporary(bar->controls());

    size_t released = m_updateSinks.ReleaseAll() + m_applicationSinks.ReleaseAll() +
                      m_explorersSinks.ReleaseAll() + m_explorerSinks.ReleaseAll();
    for (const auto& bar : m_bars)
        released += bar->controls().ReleaseSinks();
    for (const auto& bar : m_removedBars)
        released += bar->controls().ReleaseSinks();
    for (const auto& control : m_removedControls)
        released += control->clickSinks().ReleaseAll() + control->controls().ReleaseSinks();
    // Objects an add-in still holds keep theirs alive; the set lets go.
    m_removedBars.clear();
    m_removedControls.clear();
    return released;
}

} // namespace sw::sim
