// What the user and the host do to the command bars of a simulated Outlook:
// the context menu, clicks, OnUpdate and a restart of the host.
#include "platform/automation.h"
#include "sim/outlook/connection_point.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"
#include "sim/outlook/outlook_session.h"

namespace sw::sim {

long OutlookSession::majorVersion() const noexcept {
    return m_host->majorVersion();
}

ContextMenuDisplay OutlookSession::ShowContextMenu() {
    return ShowContextMenu(DefaultContextMenu(majorVersion()));
}

ContextMenuDisplay OutlookSession::ShowContextMenu(const MenuLayout& layout) {
    CommandBarSet& bars = commandBars();
    CommandBar& menu = bars.OpenContextMenu(layout);
    ContextMenuDisplay display{&menu, 0};
    const long major = majorVersion();
    if (major < 12) {
        display.sinksReached = bars.updateSinks().Fire(kDispidOnUpdate);
    } else if (major < 14) {
        unique_variant args[2] = {
            unique_variant::FromDispatch(MakeSelection(m_host, m_host->mailbox.selection()).get()),
            unique_variant::FromDispatch(MakeCommandBar(m_host, menu.shared_from_this()).get())};
        VARIANT reversed[2] = {args[0].get(), args[1].get()};
        display.sinksReached =
            bars.applicationSinks().Fire(kDispidItemContextMenuDisplay, reversed);
    }
    return display;
}

void OutlookSession::CloseContextMenu() {
    commandBars().CloseContextMenu();
}

ClickOutcome OutlookSession::ClickControl(CommandBarControl& control) {
    ClickOutcome outcome;
    if (!control.userCanClick())
        return outcome;
    outcome.clicked = true;
    // The control and its menu stay alive while the sinks run, whatever they do.
    auto held = control.shared_from_this();
    CommandBar* menu = &control.parent()->bar();
    if (commandBars().contextMenu() != menu)
        menu = nullptr;
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    unique_variant ctrl = unique_variant::FromDispatch(MakeCommandBarControl(m_host, held).get());
    VARIANT reversed[2];
    VariantInit(&reversed[0]);
    V_VT(&reversed[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&reversed[0]) = &cancelDefault;
    reversed[1] = ctrl.get();
    outcome.sinksReached = held->clickSinks().Fire(kDispidClick, reversed);
    outcome.cancelDefault = cancelDefault != VARIANT_FALSE;
    if (menu && commandBars().contextMenu() == menu)
        CloseContextMenu();
    return outcome;
}

unsigned OutlookSession::FireOnUpdate() {
    return commandBars().updateSinks().Fire(kDispidOnUpdate);
}

unsigned OutlookSession::FireNewMailEx(const std::wstring& entryIdCollection) {
    if (majorVersion() < 11)
        return 0;
    unique_variant ids = unique_variant::FromText(entryIdCollection);
    VARIANT reversed[1] = {ids.get()};
    return commandBars().applicationSinks().Fire(kDispidNewMailEx, reversed);
}

unsigned OutlookSession::OpenExplorer() {
    mailbox().SetExplorerOpen(true);
    unique_variant explorer = unique_variant::FromDispatch(MakeExplorer(m_host).get());
    VARIANT reversed[1] = {explorer.get()};
    const unsigned reached = commandBars().explorersSinks().Fire(kDispidNewExplorer, reversed);
    return reached + commandBars().explorerSinks().Fire(kDispidActivate);
}

void OutlookSession::Restart() {
    const size_t released = commandBars().Restart();
    for (size_t i = 0; i < released; ++i)
        m_host->refs.Released(kAdvisedSinkKind);
}

} // namespace sw::sim
