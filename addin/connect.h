// The add-in's COM object: the host's connection interface, the ribbon
// callbacks and the ribbon document.
#pragma once

#include "addin/idl/spamwarden.h"
#include "addin/explorer_watch.h"
#include "addin/idl/typelib_version.h"
#include "addin/new_mail_watch.h"
#include "addin/typelib_dispatch.h"
#include "outlook/host_call.h"
#include "outlook/idl/office_addin.h"
#include "outlook/office_ids.h"
#include "user_commands/command_surface.h"
#include "user_commands/user_commands.h"

#include <oaidl.h>
#include <ocidl.h>

#include <memory>
#include <string>

namespace sw {

class Connect final
    : public ISupportErrorInfo,
      public TypeLibDispatch<IConnect, &LIBID_SPAMWARDENLib, &IID_IConnect, SW_TYPELIB_MAJOR>,
      public TypeLibDispatch<_IDTExtensibility2, &kAddInDesignerLibId, &IID__IDTExtensibility2>,
      public TypeLibDispatch<IRibbonExtensibility, &kOfficeLibId, &IID_IRibbonExtensibility,
                             kOfficeLibMajor, kOfficeLibFallbackMajor> {
public:
    // Creates a Connect, aggregated when `outer` is given (then `iid` must be
    // IID_IUnknown), and queries it for `iid`. `surface` makes the toolbar
    // and context-menu items the object offers on hosts before the ribbon.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** object,
                          CommandSurfaceFactory surface) noexcept;

    // IUnknown, delegating to the controlling unknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // IConnect
    HRESULT STDMETHODCALLTYPE OnBlockSenders(IDispatch* control) noexcept override;
    HRESULT STDMETHODCALLTYPE OnManageBlockedSenders(IDispatch* control) noexcept override;
    HRESULT STDMETHODCALLTYPE OnBlockDomains(IDispatch* control) noexcept override;
    HRESULT STDMETHODCALLTYPE OnRibbonHelp(IDispatch* control) noexcept override;
    HRESULT STDMETHODCALLTYPE GetBlockSenderImage(IDispatch* control,
                                                  IPictureDisp** image) noexcept override;
    HRESULT STDMETHODCALLTYPE GetBlockDomainImage(IDispatch* control,
                                                  IPictureDisp** image) noexcept override;
    HRESULT STDMETHODCALLTYPE OnRibbonLoad(IDispatch* ribbon) noexcept override;
    HRESULT STDMETHODCALLTYPE OnRibbonGetEnabled(IDispatch* control,
                                                 VARIANT_BOOL* enabled) noexcept override;
    HRESULT STDMETHODCALLTYPE OnRibbonSupport(IDispatch* control) noexcept override;
    HRESULT STDMETHODCALLTYPE OnBlockSingleDomain(IDispatch* control) noexcept override;

    // _IDTExtensibility2
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode,
                                           IDispatch* addInInstance,
                                           SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode,
                                              SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) noexcept override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) noexcept override;

    // IRibbonExtensibility
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* xml) noexcept override;

    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

private:
    Connect(IUnknown* outer, CommandSurfaceFactory surface);
    ~Connect();

    // The non-delegating unknown: the object's identity when aggregated.
    class Inner final : public IUnknown {
    public:
        explicit Inner(Connect& owner) noexcept : m_owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
        ULONG STDMETHODCALLTYPE AddRef() noexcept override;
        ULONG STDMETHODCALLTYPE Release() noexcept override;

    private:
        Connect& m_owner;
    };

    [[nodiscard]] HRESULT StartupComplete();
    // The legacy surface on the explorer the host shows now, or on the first
    // one it opens: E_POINTER while it shows none.
    [[nodiscard]] HRESULT StartSurface();
    void AttachExplorer(Dispatch explorer);
    void Disconnect();

    Inner m_inner;
    IUnknown* m_outer; // the controlling unknown: the aggregator, or m_inner
    ULONG m_refs = 0;

    // The user's commands, which the ribbon's callbacks and the legacy
    // surface run; the Options sheet's closing is followed up here.
    UserCommands m_commands;
    // The toolbar and context-menu items of hosts before the ribbon.
    std::unique_ptr<CommandSurface> m_surface;
    // New mail from senders blocked since Outlook started.
    NewMailWatch m_newMail;
    // Outlook started without a window: the toolbar waits for the first.
    ExplorerWatch m_explorers;
};

} // namespace sw
