// Loads COM add-ins the way Outlook does: from the Addins registry keys of
// the user and of the machine (LoadBehavior 3), a class registered for the
// user (HKCU\Software\Classes) before the machine's, by ProgID, through CoCreateInstance; connects
// them, reports start-up complete, asks version 14 and later hosts' ribbon document and resolves
// its callbacks by name through the add-in's IDispatch; disconnects and releases them at shutdown.
#pragma once

#include "platform/com_ptr.h"
#include "sim/loader/ribbon_markup.h"
#include "sim/outlook/outlook_session.h"

#include <oaidl.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sw::sim {

// A DLL loaded by the host itself for a class registered for the user
// alone; freed when its last object is gone.
class UserServerModule {
public:
    UserServerModule() = default;
    explicit UserServerModule(HMODULE module) noexcept : m_module(module) {}
    UserServerModule(UserServerModule&& other) noexcept
        : m_module(std::exchange(other.m_module, nullptr)) {}
    UserServerModule& operator=(UserServerModule&& other) noexcept;
    UserServerModule(const UserServerModule&) = delete;
    UserServerModule& operator=(const UserServerModule&) = delete;
    ~UserServerModule();

private:
    HMODULE m_module = nullptr;
};

struct LoadedAddin {
    std::wstring progId;
    HRESULT connectResult = E_FAIL;
    HRESULT startupResult = E_FAIL;
    HRESULT ribbonResult = S_FALSE; // S_FALSE: not asked (before version 14)
    std::wstring ribbonXml;
    std::vector<RibbonElement> ribbon;
    std::map<std::wstring, DISPID> callbacks; // resolved callback names
    std::vector<std::wstring> unresolved;     // names the add-in does not know
    UserServerModule userServer;              // outlives `object`
    com_ptr<IUnknown> object;
};

class AddinHost {
public:
    explicit AddinHost(OutlookSession& outlook) : m_outlook(outlook) {}
    ~AddinHost();
    AddinHost(const AddinHost&) = delete;
    AddinHost& operator=(const AddinHost&) = delete;

    // ProgIDs under HKCU and HKLM Software\Microsoft\Office\Outlook\Addins
    // whose LoadBehavior is 3, the user's first, each once (the user's entry
    // decides for a ProgID registered in both).
    static std::vector<std::wstring> RegisteredAddins();

    // Loads and connects every registered add-in; returns how many loaded.
    size_t Start();
    // Loads one add-in by ProgID. False when it cannot be created.
    bool Load(const std::wstring& progId);
    // OnBeginShutdown, OnDisconnection and release, in load order.
    void Shutdown();

    const std::vector<LoadedAddin>& addins() const noexcept { return m_addins; }
    LoadedAddin* Find(const std::wstring& progId);

    // Calls the callback that `attribute` of the ribbon control with id
    // `controlId` names (onAction of a button: what a click does), passing
    // a control object as its argument. The HRESULT of the add-in's Invoke,
    // and the result value for getImage-style callbacks.
    HRESULT Fire(const std::wstring& progId, const std::wstring& controlId,
                 const std::wstring& attribute = L"onAction", VARIANT* result = nullptr);

private:
    OutlookSession& m_outlook;
    std::vector<LoadedAddin> m_addins;
};

} // namespace sw::sim
