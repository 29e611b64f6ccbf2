#include "addin/connect.h"

#include "addin/history_preparation.h"
#include "addin/host_state.h"
#include "addin/ribbon.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "platform/diagnostics.h"
#include "platform/dpi.h"
#include "platform/image_picture.h"
#include "platform/module_lock.h"
#include "platform/resource_ids.h"
#include "platform/user_message.h"
#include "store/history.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <utility>

namespace sw {
namespace {

// How long disconnection waits for a history compaction at most, in ms.
constexpr DWORD kShutdownCompactionWait = 100;

// A large ribbon button's image is 32 pixels at 96 DPI.
constexpr int kRibbonImagePixels = 32;

// The ribbon image of `image` in the size that fits the DPI of the explorer
// window the control sits in: its context is the Explorer, whose window
// Outlook hands out through IOleWindow. Without one, the system's DPI.
void LoadRibbonImage(ButtonImage image, IDispatch* control, IPictureDisp** picture) noexcept {
    HWND window = nullptr;
    try {
        Dispatch context = control ? FindObject(control, L"Context") : Dispatch();
        com_ptr<IOleWindow> explorer;
        if (context && SUCCEEDED(context.query(IID_IOleWindow, explorer)) && explorer)
            SW_LOG_IF_FAILED(explorer->GetWindow(&window));
    } catch (...) {
        SW_LOG_CAUGHT();
    }
    const int size = ButtonImageSize(kRibbonImagePixels, DpiForWindow(window));
    // The callback answers S_OK either way: without a picture the button shows none.
    SW_LOG_IF_FAILED(LoadImagePicture(ButtonImageId(image, size), picture));
}

} // namespace

Connect::Connect(IUnknown* outer, CommandSurfaceFactory surface)
    : m_inner(*this), m_outer(outer ? outer : &m_inner),
      // The Options sheet may have turned the new-mail setting on or off.
      m_commands([this] { m_newMail.Follow(HostApp()); }),
      m_surface(surface(*static_cast<IConnect*>(this), m_commands)) {
    LockModule();
}

Connect::~Connect() {
    // Every host reference goes before the module may unload: the new-mail
    // subscription's, then the surface's, then the cached type information;
    // and no timer may call into it.
    CancelHistoryPreparation();
    m_newMail.Stop();
    m_explorers.Stop();
    m_surface.reset();
    ReleaseTypeInfoCache();
    UnlockModule();
}

HRESULT Connect::Create(IUnknown* outer, REFIID iid, void** object,
                        CommandSurfaceFactory surface) noexcept {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer && iid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    if (!surface)
        return E_INVALIDARG;
    Connect* created = nullptr;
    try {
        created = new Connect(outer, surface);
    } catch (...) {
        SW_LOG_CAUGHT();
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
    m_commands.Run(UserCommand::BlockSenders);
    return S_OK;
}

HRESULT Connect::OnManageBlockedSenders(IDispatch*) noexcept {
    m_commands.Run(UserCommand::ManageBlockedSenders);
    return S_OK;
}

HRESULT Connect::OnBlockDomains(IDispatch*) noexcept {
    m_commands.Run(UserCommand::BlockDomains);
    return S_OK;
}

HRESULT Connect::OnRibbonHelp(IDispatch*) noexcept {
    m_commands.Run(UserCommand::Help);
    return S_OK;
}

HRESULT Connect::GetBlockSenderImage(IDispatch* control, IPictureDisp** image) noexcept {
    if (image)
        LoadRibbonImage(ButtonImage::BlockSenders, control, image);
    return S_OK;
}

HRESULT Connect::GetBlockDomainImage(IDispatch* control, IPictureDisp** image) noexcept {
    if (image)
        LoadRibbonImage(ButtonImage::BlockDomains, control, image);
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
    m_commands.Run(UserCommand::Support);
    return S_OK;
}

HRESULT Connect::OnBlockSingleDomain(IDispatch*) noexcept {
    m_commands.Run(UserCommand::BlockSenderDomain);
    return S_OK;
}

// --- _IDTExtensibility2 ------------------------------------------------

HRESULT Connect::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*,
                              SAFEARRAY**) noexcept {
    if (!application)
        return E_NOTIMPL;
    com_ptr<IDispatch> typed;
    HRESULT hr = SW_LOG_IF_FAILED(application->QueryInterface(kIidApplication, typed.put_void()));
    g_host.hostApp = SUCCEEDED(hr) ? typed : nullptr;
    return SUCCEEDED(hr) || hr == E_NOINTERFACE ? S_OK : hr;
}

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) noexcept {
    try {
        Disconnect();
    } catch (const HostError& error) {
        ShowHostError(error.code());
    } catch (...) {
        SW_LOG_CAUGHT();
    }
    // The host application and the type information go now, not when the
    // module unloads: then they would be released under the loader lock,
    // into a host being torn down. What the add-in has blocked stays.
    g_host.DropConnection();
    ReleaseTypeInfoCache();
    return S_OK;
}

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) noexcept {
    return E_NOTIMPL;
}

HRESULT Connect::OnStartupComplete(SAFEARRAY**) noexcept {
    try {
        return SW_LOG_IF_FAILED(StartupComplete());
    }
    SW_CATCH_RETURN()
}

HRESULT Connect::OnBeginShutdown(SAFEARRAY**) noexcept {
    return E_NOTIMPL;
}

HRESULT Connect::StartupComplete() {
    if (!g_host.hostApp)
        return E_POINTER;
    LearnHostVersion(g_host.hostApp.get());
    // What the commands and new mail need, whether Outlook shows a window or
    // not: started without one, it may open one later in the same process.
    LearnProfileAndSettings();
    // Outlook's filter knows only the entries it read when it started: new
    // mail from senders blocked since then is moved here.
    m_newMail.Follow(HostApp());
    ScheduleHistoryPreparation();
    return StartSurface();
}

HRESULT Connect::StartSurface() {
    m_explorers.Stop();
    m_surface->SetExplorer(nullptr, nullptr);
    Dispatch explorer = FindObject(g_host.hostApp.get(), L"ActiveExplorer");
    if (explorer) {
        AttachExplorer(std::move(explorer));
        return S_OK;
    }
    if (g_host.capabilities.toolbar) {
        m_explorers.Start(g_host.hostApp.get(), [this](Dispatch opened) {
            try {
                AttachExplorer(std::move(opened));
            } catch (...) {
                // As at start-up: the surface is missing, and the log says why.
                SW_LOG_CAUGHT();
            }
        });
    }
    // Without a window the start-up answers as it always has, though only
    // the explorer's part waits: a caller may rely on the answer.
    return E_POINTER;
}

void Connect::AttachExplorer(Dispatch explorer) {
    Dispatch bars = FindObject(explorer.get(), L"CommandBars");
    m_surface->SetExplorer(std::move(explorer), std::move(bars));
    m_surface->Start();
}

void Connect::Disconnect() {
    CancelHistoryPreparation();
    m_newMail.Stop();
    m_explorers.Stop();
    m_surface->Stop();
    // What could not be put back is told: the user's blocks would be lost.
    if (!g_host.profileName.empty())
        ShowOutcome(ReapplyBlockedAdditions(g_host.Profile(), g_host.blockedSinceLoad,
                                            g_host.newBlockedEntries));
    // Nothing records any more: a compaction still at work may end before
    // the host goes, rather than leave its temporary file behind, but Outlook
    // disables an add-in whose shutdown takes half a second. The worker holds
    // the module and keeps the file whole, so it may also finish after this
    // returns, or be cut off with the process; the next start compacts again.
    WaitForHistoryCompaction(kShutdownCompactionWait);
}

// --- IRibbonExtensibility ------------------------------------------------

HRESULT Connect::GetCustomUI(BSTR ribbonId, BSTR* xml) noexcept {
    return GetRibbonDocument(ribbonId, xml);
}

} // namespace sw
