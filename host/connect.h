// The add-in's COM object: the host's connection interface, the ribbon
// callbacks and the ribbon document.
#pragma once

#include "commandbars/event_bindings.h"
#include "commandbars/event_sink.h"
#include "host/com_ptr.h"
#include "host/idl/office_addin.h"
#include "host/idl/spamwarden.h"
#include "host/typelib_dispatch.h"

#include <oaidl.h>
#include <ocidl.h>

#include <string>

namespace sw {

extern "C" const GUID kAddInDesignerLibId;
extern "C" const GUID kOfficeLibId;

class Connect final
    : public ISupportErrorInfo,
      public TypeLibDispatch<IConnect, &LIBID_SPAMWARDENLib, &IID_IConnect>,
      public TypeLibDispatch<_IDTExtensibility2, &kAddInDesignerLibId, &IID__IDTExtensibility2>,
      public TypeLibDispatch<IRibbonExtensibility, &kOfficeLibId, &IID_IRibbonExtensibility> {
public:
    // Creates a Connect, aggregated when `outer` is given (then `iid` must be
    // IID_IUnknown), and queries it for `iid`.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** object) noexcept;

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
    explicit Connect(IUnknown* outer);
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

    HRESULT StartupComplete();
    void Disconnect();
    // The toolbar and context-menu items of hosts before version 14.
    void StartLegacySurface();
    void StopLegacySurface();

    // --- The command-bar surface of hosts before version 14 ---------------
    // The event binding table calls the handlers below.
    friend class EventBindings;

    // Builds the "Spamwarden" toolbar on `explorer`; reports its own failures.
    void BuildToolbar(IDispatch* explorer) noexcept;
    // Adds one temporary icon button to `controls`, keeps it in `buttonField`
    // and connects `sink` to its clicks. `imageId` names the button's picture
    // resource, or is 0 for the host's face `faceId`. Raises host failures.
    void AddToolbarButton(IDispatch* controls, const wchar_t* text, WORD imageId, LONG faceId,
                          com_ptr<IDispatch>& buttonField, EventSink& sink, bool beginsGroup);

    // Event handlers. None of them lets a failure out.
    void OnClickBlockSenders(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickBlockDomains(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickOptions(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickSupport(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickHelp(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickBlockSenderDomain(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void AddContextMenuItems(IDispatch* contextBar, IDispatch* selection) noexcept;
    void OnCommandBarsUpdate() noexcept;

    // The bodies of the two context-menu handlers; they raise host failures.
    void InsertContextMenuItems(IDispatch* contextBar, IDispatch* selection);
    void InsertForMultipleSelection(IDispatch* controls);
    void InsertForSingleSelection(IDispatch* controls);
    void FindContextMenuAndInsert();
    // Replaces the context item in `field` by a new temporary button on
    // `controls` (before `before`, or last for 0) and moves `sink` to it.
    void ReplaceContextItem(IDispatch* controls, LONG before, com_ptr<IDispatch>& field,
                            EventSink& sink, const wchar_t* caption, bool beginsGroup);

    // Sink `number` (1 to 10) and the source it is connected to.
    EventSink& Sink(int number) noexcept { return m_sinks->Sink(number); }
    IDispatch* SinkSource(int number) const noexcept;
    // Disconnects every sink still connected from its source.
    void DisconnectSinks() noexcept;
    // Deletes the temporary toolbar buttons from the host's bar.
    void DeleteToolbarButtons() noexcept;

    Inner m_inner;
    IUnknown* m_outer; // the controlling unknown: the aggregator, or m_inner
    ULONG m_refs = 0;

    com_ptr<IDispatch> m_explorer;
    com_ptr<IDispatch> m_commandBars;

    // The toolbar, its buttons (_CommandBarButton) and their two pictures.
    com_ptr<IDispatch> m_toolbar;
    com_ptr<IDispatch> m_btnBlockSenders;
    com_ptr<IDispatch> m_btnBlockDomains;
    com_ptr<IDispatch> m_btnOptions;
    com_ptr<IDispatch> m_btnSupport;
    com_ptr<IDispatch> m_btnHelp;
    com_ptr<IPictureDisp> m_picBlockSenders;
    com_ptr<IPictureDisp> m_picBlockDomains;
    // The context-menu items created last.
    com_ptr<IDispatch> m_ctxBlockSenderDomain;
    com_ptr<IDispatch> m_ctxBlockSenders;
    com_ptr<IDispatch> m_ctxBlockDomains;

    // The event sinks, by their number in the event binding table.
    EventSinkSet* m_sinks;
};

// Host major version from the application's version text ("14.0.0.4760"):
// leading white space, an optional sign, then digits; no digit gives 0.
int ParseHostVersion(const std::wstring& text) noexcept;

} // namespace sw
