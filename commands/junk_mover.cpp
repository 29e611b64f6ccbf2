#include "commands/junk_mover.h"

#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"
#include "store/state.h"

namespace sw {

JunkFolder FindJunkFolder() {
    const unique_variant mapi = unique_variant::FromText(L"MAPI");
    JunkFolder found;
    found.ns = CallForObject(HostApp(), L"GetNamespace", {&mapi.get()});
    found.junk = JunkFolderOf(found.ns.get());
    return found;
}

Dispatch JunkFolderOf(IDispatch* ns) {
    const unique_variant junkKind = unique_variant::FromLong(kJunkFolder);
    return CallForObject(ns, L"GetDefaultFolder", {&junkKind.get()});
}

bool JunkMover::Move(IDispatch* mail) {
    const Dispatch parent = FindObject(mail, L"Parent");
    std::wstring from = parent ? GetText(parent.get(), L"EntryID") : std::wstring();
    // Already in Junk E-mail (the folder shown is Junk E-mail): moving it
    // there again would be noted as a move, which undoing would "restore"
    // into Junk E-mail itself.
    if (!from.empty()) {
        if (!m_junkIdAsked) {
            m_junkId = GetText(m_junk, L"EntryID");
            m_junkIdAsked = true;
        }
        if (!m_junkId.empty() && EqualsIgnoringAsciiCase(from, m_junkId))
            return false;
    }
    unique_variant result;
    if (FAILED(
            SW_LOG_IF_FAILED(InvokeByName(mail, L"Move", DISPATCH_METHOD, {&m_junkArg}, result))))
        return false;
    // The message in its new place, whose EntryID may differ from the old one.
    if (result.type() != VT_DISPATCH || !V_DISPATCH(&result.get()) || from.empty())
        return true;
    std::wstring id = GetText(V_DISPATCH(&result.get()), L"EntryID");
    if (id.empty())
        return true;
    if (m_storeId.empty())
        m_storeId = GetText(m_junk, L"StoreID");
    m_moved.push_back({std::move(id), m_storeId, std::move(from)});
    return true;
}

} // namespace sw
