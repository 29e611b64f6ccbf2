// The blocking commands in the item context menu: appended for a multiple
// selection, put into the Junk submenu for a single one. Version 12 hosts
// announce the menu with ItemContextMenuDisplay; older ones only raise the
// command bars' OnUpdate, and the menu is found among the bars by name.
#include "legacy_ui/legacy_ui.h"
#include "outlook/bar_calls.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/state.h"

#include <string>

namespace sw {
namespace {

constexpr wchar_t kContextMenuBar[] = L"Context Menu";
constexpr wchar_t kJunkCaption[] = L"Junk";
constexpr wchar_t kBlockSenderDomainCaption[] = L"Add Sender's Domain to Blocked Senders List";
constexpr wchar_t kBlockSendersCaption[] = L"Add Senders to Blocked Sender List";
constexpr wchar_t kBlockDomainsCaption[] = L"Add Sender's Domains to Blocked Sender List";

// The first item of the selection, or null when it cannot be had.
Dispatch FirstItem(IDispatch* selection) {
    try {
        return GetItem(selection, 1);
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
        return nullptr;
    }
}

} // namespace

// A failure of the host abandons what is left to add; the host's event
// call returns normally and nothing is shown.
void LegacyUi::AddContextMenuItems(IDispatch* contextBar, IDispatch* selection) noexcept {
    try {
        InsertContextMenuItems(contextBar, selection);
    }
    SW_CATCH_LOG()
}

void LegacyUi::OnCommandBarsUpdate() noexcept {
    try {
        FindContextMenuAndInsert();
    }
    SW_CATCH_LOG()
}

void LegacyUi::InsertContextMenuItems(IDispatch* contextBar, IDispatch* selection) {
    if (!selection)
        return;
    const LONG count = GetCount(selection);
    if (count <= 0 || !FirstItem(selection))
        return;
    if (!contextBar)
        return;
    unique_variant result;
    if (InvokeByName(contextBar, L"Controls", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, result) !=
            S_OK ||
        result.type() != VT_DISPATCH || !V_DISPATCH(&result.get()))
        return;
    const Dispatch controls(V_DISPATCH(&result.get()));
    if (count > 1)
        InsertForMultipleSelection(controls.get());
    else
        InsertForSingleSelection(controls.get());
}

void LegacyUi::InsertForMultipleSelection(IDispatch* controls) {
    ReplaceContextItem(controls, 0, m_ctxBlockSenders, Sink(kSinkBlockSendersItem),
                       kBlockSendersCaption, true);
    ReplaceContextItem(controls, 0, m_ctxBlockDomains, Sink(kSinkBlockDomainsItem),
                       kBlockDomainsCaption, false);
}

// The item goes second into the first popup whose caption holds "Junk" and
// which has entries.
void LegacyUi::InsertForSingleSelection(IDispatch* controls) {
    const LONG count = GetCount(controls);
    for (LONG i = 1; i <= count; ++i) {
        Dispatch control;
        try {
            control = GetItem(controls, i);
        } catch (const HostError&) {
            SW_LOG_CAUGHT();
            continue;
        }
        const std::wstring caption = GetText(control.get(), L"Caption");
        const LONG type = GetLong(control.get(), L"Type");
        if (type != kControlPopup || caption.find(kJunkCaption) == std::wstring::npos)
            continue;
        const Dispatch popup = QueryDispatch(control.get(), kIidCommandBarPopup);
        if (!popup)
            continue;
        const Dispatch entries = RequireObjectCall(popup.get(), L"Controls");
        if (GetCount(entries.get()) < 1)
            continue;
        ReplaceContextItem(entries.get(), 2, m_ctxBlockSenderDomain,
                           Sink(kSinkBlockSenderDomainItem), kBlockSenderDomainCaption, false);
        return;
    }
}

void LegacyUi::ReplaceContextItem(IDispatch* controls, LONG before, com_ptr<IDispatch>& field,
                                  EventSink& sink, const wchar_t* caption, bool beginsGroup) {
    // The click subscription moves to the new item: a sink is never
    // connected to two items at once.
    if (field && sink.connected())
        SW_LOG_IF_FAILED(sink.DisconnectFrom(field.get()));
    field = AddTemporaryControl(controls, kControlButton, before);
    if (beginsGroup)
        RequirePut(field.get(), L"BeginGroup", BoolArgument(true).get());
    RequirePut(field.get(), L"Caption", unique_variant::FromText(caption).get());
    SW_LOG_IF_FAILED(sink.ConnectTo(field.get()));
}

void LegacyUi::FindContextMenuAndInsert() {
    if (!m_explorer || !m_commandBars)
        return;
    Dispatch folder;
    try {
        folder = GetObject(m_explorer.get(), L"CurrentFolder");
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
        return;
    }
    if (RequireLong(folder.get(), L"DefaultItemType") != kMailItemType)
        return;

    Dispatch menu;
    for (LONG i = 1; !menu && i <= GetCount(m_commandBars.get()); ++i) {
        Dispatch bar;
        try {
            bar = GetItem(m_commandBars.get(), i);
        } catch (const HostError&) {
            SW_LOG_CAUGHT();
            continue;
        }
        if (RequireText(bar.get(), L"Name") == kContextMenuBar)
            menu = bar;
    }
    if (!menu)
        return;

    const Dispatch explorer = GetObject(HostApp(), L"ActiveExplorer");
    const Dispatch selection = GetObject(explorer.get(), L"Selection");
    if (GetCount(selection.get()) == 1)
        InsertContextMenuItems(menu.get(), selection.get());
}

} // namespace sw
