#include "host/connect.h"

#include "commandbars/event_bindings.h"
#include "commands/block_commands.h"
#include "host/command_guard.h"
#include "host/host_app.h"
#include "host/host_call.h"
#include "host/host_error.h"
#include "host/image_picture.h"
#include "host/module_lock.h"
#include "host/ribbon.h"
#include "host/resources/resource_ids.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "manager/options_command.h"
#include "support/help_file.h"
#include "support/support_mail.h"

#include <cwctype>

namespace sw {

// Add-in designer library (_IDTExtensibility2) and Office library
// (IRibbonExtensibility), version 1.0 each.
extern "C" const GUID kAddInDesignerLibId = {
    0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};
extern "C" const GUID kOfficeLibId = {
    0x2DF8D04C, 0x5BFA, 0x101B, {0xBD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0xDE, 0x52}};

namespace {

// Outlook's _Application.
constexpr IID kApplicationIid = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

} // namespace

int ParseHostVersion(const std::wstring& text) noexcept {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF; // an absurd version must not overflow
    }
    return static_cast<int>(negative ? -value : value);
}

Connect::Connect(IUnknown* outer)
    : m_inner(*this), m_outer(outer ? outer : &m_inner), m_sinks(EventSinkSet::Create(*this)) {
    LockModule();
}

Connect::~Connect() {
    // A host that lets go without disconnecting the add-in must not keep a
    // sink of a destroyed object.
    DisconnectSinks();
    // Command-bar references go first, then the command bars, the explorer last.
    m_ctxBlockDomains = nullptr;
    m_ctxBlockSenders = nullptr;
    m_ctxBlockSenderDomain = nullptr;
    m_picBlockDomains = nullptr;
    m_picBlockSenders = nullptr;
    m_btnHelp = nullptr;
    m_btnSupport = nullptr;
    m_btnOptions = nullptr;
    m_btnBlockDomains = nullptr;
    m_btnBlockSenders = nullptr;
    m_toolbar = nullptr;
    m_commandBars = nullptr;
    m_explorer = nullptr;
    // A sink the host still holds outlives this object but reaches it no more.
    m_sinks->Detach();
    UnlockModule();
}

HRESULT Connect::Create(IUnknown* outer, REFIID iid, void** object) noexcept {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer && iid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    Connect* created = nullptr;
    try {
        created = new Connect(outer);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    created->m_inner.AddRef();
    HRESULT hr = created->m_inner.QueryInterface(iid, object);
    created->m_inner.Release();
    return hr;
}

HRESULT Connect::Inner::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object)
        return E_POINTER;
    Connect& self = m_owner;
    if (iid == IID_IUnknown)
        *object = static_cast<IUnknown*>(this);
    else if (iid == IID_IConnect || iid == IID_IDispatch)
        *object = static_cast<IConnect*>(&self);
    else if (iid == IID_ISupportErrorInfo)
        *object = static_cast<ISupportErrorInfo*>(&self);
    else if (iid == IID__IDTExtensibility2)
        *object = static_cast<_IDTExtensibility2*>(&self);
    else if (iid == IID_IRibbonExtensibility)
        *object = static_cast<IRibbonExtensibility*>(&self);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG Connect::Inner::AddRef() noexcept {
    return ++m_owner.m_refs;
}

ULONG Connect::Inner::Release() noexcept {
    ULONG refs = --m_owner.m_refs;
    if (refs == 0)
        delete &m_owner;
    return refs;
}

HRESULT Connect::QueryInterface(REFIID iid, void** object) noexcept {
    return m_outer->QueryInterface(iid, object);
}

ULONG Connect::AddRef() noexcept {
    return m_outer->AddRef();
}

ULONG Connect::Release() noexcept {
    return m_outer->Release();
}

HRESULT Connect::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
    return iid == IID_IConnect ? S_OK : S_FALSE;
}

// --- IConnect: the ribbon callbacks -------------------------------------

HRESULT Connect::OnBlockSenders(IDispatch*) noexcept {
    CommandGuard guard;
    if (guard.acquired())
        BlockSelectedSenders();
    return S_OK;
}

HRESULT Connect::OnManageBlockedSenders(IDispatch*) noexcept {
    ShowOptionsSheet(GetActiveWindow());
    return S_OK;
}

HRESULT Connect::OnBlockDomains(IDispatch*) noexcept {
    CommandGuard guard;
    if (guard.acquired())
        BlockSelectedDomains();
    return S_OK;
}

HRESULT Connect::OnRibbonHelp(IDispatch*) noexcept {
    OpenHelpFile();
    return S_OK;
}

HRESULT Connect::GetBlockSenderImage(IDispatch*, IPictureDisp** image) noexcept {
    if (image)
        LoadImagePicture(IDB_BLOCK_SENDERS_32, image);
    return S_OK;
}

HRESULT Connect::GetBlockDomainImage(IDispatch*, IPictureDisp** image) noexcept {
    if (image)
        LoadImagePicture(IDB_BLOCK_DOMAINS_32, image);
    return S_OK;
}

HRESULT Connect::OnRibbonLoad(IDispatch*) noexcept {
    return S_OK;
}

HRESULT Connect::OnRibbonGetEnabled(IDispatch*, VARIANT_BOOL* enabled) noexcept {
    if (enabled)
        *enabled = VARIANT_TRUE;
    return S_OK;
}

HRESULT Connect::OnRibbonSupport(IDispatch*) noexcept {
    OpenSupportMail();
    return S_OK;
}

HRESULT Connect::OnBlockSingleDomain(IDispatch*) noexcept {
    BlockSelectedDomains();
    return S_OK;
}

// --- _IDTExtensibility2 ------------------------------------------------

HRESULT Connect::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*,
                              SAFEARRAY**) noexcept {
    if (!application)
        return E_NOTIMPL;
    com_ptr<IDispatch> typed;
    HRESULT hr = application->QueryInterface(kApplicationIid, typed.put_void());
    g_hostApp = SUCCEEDED(hr) ? typed : nullptr;
    return SUCCEEDED(hr) || hr == E_NOINTERFACE ? S_OK : hr;
}

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) noexcept {
    try {
        Disconnect();
    } catch (const HostError& error) {
        ShowHostError(error.code());
    } catch (...) {
    }
    return S_OK;
}

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) noexcept {
    return E_NOTIMPL;
}

HRESULT Connect::OnStartupComplete(SAFEARRAY**) noexcept {
    try {
        return StartupComplete();
    } catch (const HostError& error) {
        return error.code();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT Connect::OnBeginShutdown(SAFEARRAY**) noexcept {
    return E_NOTIMPL;
}

HRESULT Connect::StartupComplete() {
    if (!g_hostApp)
        return E_POINTER;
    g_hostVersion = ParseHostVersion(GetText(g_hostApp.get(), L"Version"));

    m_explorer = nullptr;
    if (!g_hostApp)
        return E_POINTER;
    unique_variant explorer;
    InvokeByName(g_hostApp.get(), L"ActiveExplorer", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {},
                 explorer);
    if (explorer.type() == VT_DISPATCH && explorer.get().pdispVal)
        m_explorer = com_ptr<IDispatch>(explorer.get().pdispVal);

    m_commandBars = nullptr;
    if (!m_explorer)
        return E_POINTER;
    unique_variant bars;
    InvokeByName(m_explorer.get(), L"CommandBars", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {},
                 bars);
    if (bars.type() == VT_DISPATCH && bars.get().pdispVal)
        m_commandBars = com_ptr<IDispatch>(bars.get().pdispVal);

    StartLegacySurface();

    FindDefaultProfileName();
    CollectAccountKeys(g_accountKeys);
    SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
    return S_OK;
}

void Connect::Disconnect() {
    StopLegacySurface();
    if (!g_profileName.empty())
        ReapplyBlockedAdditions();
}

// --- IRibbonExtensibility ------------------------------------------------

HRESULT Connect::GetCustomUI(BSTR ribbonId, BSTR* xml) noexcept {
    return GetRibbonDocument(ribbonId, xml);
}

} // namespace sw
