#include "sim/loader/addin_host.h"

#include "outlook/idl/office_addin.h"
#include "platform/automation.h"
#include "platform/registry_key.h"
#include "sim/outlook/dispatch_object.h"

#include <windows.h>

#include <algorithm>

namespace sw::sim {
namespace {

constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr wchar_t kExplorerRibbon[] = L"Microsoft.Outlook.Explorer";

// The IRibbonControl a callback receives: the control's id, its context
// (the explorer window) and its tag.
class RibbonControl final : public DispatchObject {
public:
    RibbonControl(std::shared_ptr<HostState> host, std::wstring id)
        : DispatchObject(std::move(host), L"RibbonControl"), m_id(std::move(id)) {
        AddProperty(L"Id", [this](Invocation& call) {
            call.ReturnText(m_id);
            return S_OK;
        });
        AddProperty(L"Tag", [](Invocation& call) {
            call.ReturnText(L"");
            return S_OK;
        });
        AddProperty(L"Context", [](Invocation& call) {
            call.ReturnObject(nullptr);
            return S_OK;
        });
    }

private:
    std::wstring m_id;
};

// An empty custom array, as the host passes to every connection call.
class EmptyCustomArray {
public:
    EmptyCustomArray() : m_array(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
    ~EmptyCustomArray() {
        if (m_array)
            SafeArrayDestroy(m_array);
    }
    EmptyCustomArray(const EmptyCustomArray&) = delete;
    EmptyCustomArray& operator=(const EmptyCustomArray&) = delete;
    SAFEARRAY** get() noexcept { return &m_array; }

private:
    SAFEARRAY* m_array;
};

// Adds the ProgIDs under `root` whose LoadBehavior is 3 and that no earlier
// root named, whatever their LoadBehavior there.
void CollectAddins(HKEY root, std::vector<std::wstring>& progIds,
                   std::vector<std::wstring>& named) {
    unique_hkey addins;
    if (RegOpenKeyExW(root, kAddinsKey, 0, KEY_READ, addins.put()) != ERROR_SUCCESS)
        return;
    const std::vector<std::wstring> earlier = named;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(addins.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring progId(name, length);
        if (std::find(earlier.begin(), earlier.end(), progId) != earlier.end())
            continue;
        named.push_back(progId);
        DWORD behavior = 0;
        DWORD size = sizeof behavior;
        if (RegGetValueW(addins.get(), name, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &behavior,
                         &size) == ERROR_SUCCESS &&
            behavior == 3)
            progIds.push_back(progId);
    }
}

std::wstring DefaultText(HKEY root, const std::wstring& path) {
    wchar_t text[MAX_PATH + 1] = {};
    DWORD bytes = MAX_PATH * sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS)
        return {};
    return text;
}

// Windows shows the user's classes (HKCU\Software\Classes) through
// HKEY_CLASSES_ROOT before the machine's, so CoCreateInstance finds a class
// an installation for one user registered. Wine shows only the machine's: the
// host reads the user's registration itself and asks the server's
// DllGetClassObject, as COM would. S_FALSE: not registered for the user.
HRESULT CreateUserClass(const std::wstring& progId, IUnknown** object, HMODULE* module) {
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring clsidText = DefaultText(HKEY_CURRENT_USER, classes + progId + L"\\CLSID");
    CLSID clsid;
    if (clsidText.empty() || FAILED(CLSIDFromString(clsidText.c_str(), &clsid)))
        return S_FALSE;
    const std::wstring server =
        DefaultText(HKEY_CURRENT_USER, classes + L"CLSID\\" + clsidText + L"\\InprocServer32");
    if (server.empty())
        return S_FALSE;
    *module = LoadLibraryW(server.c_str());
    if (!*module)
        return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(*module, "DllGetClassObject")));
    if (!getClassObject)
        return CO_E_ERRORINDLL;
    com_ptr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object));
}

} // namespace

UserServerModule& UserServerModule::operator=(UserServerModule&& other) noexcept {
    if (this != &other) {
        this->~UserServerModule();
        m_module = std::exchange(other.m_module, nullptr);
    }
    return *this;
}

UserServerModule::~UserServerModule() {
    if (!m_module)
        return;
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
    // Kept, as COM keeps a server, while it still has objects.
    if (canUnload && canUnload() == S_OK)
        FreeLibrary(m_module);
    m_module = nullptr;
}

AddinHost::~AddinHost() {
    Shutdown();
}

std::vector<std::wstring> AddinHost::RegisteredAddins() {
    std::vector<std::wstring> progIds;
    std::vector<std::wstring> named;
    // The user's own add-ins first; for one registered in both places the
    // user's entry decides, and it loads once.
    CollectAddins(HKEY_CURRENT_USER, progIds, named);
    CollectAddins(HKEY_LOCAL_MACHINE, progIds, named);
    return progIds;
}

size_t AddinHost::Start() {
    size_t loaded = 0;
    for (const std::wstring& progId : RegisteredAddins())
        loaded += Load(progId) ? 1 : 0;
    return loaded;
}

bool AddinHost::Load(const std::wstring& progId) {
    LoadedAddin addin;
    addin.progId = progId;
    HMODULE userServer = nullptr;
    const HRESULT user = CreateUserClass(progId, addin.object.put(), &userServer);
    addin.userServer = UserServerModule(userServer);
    if (FAILED(user))
        return false;
    if (user == S_FALSE) {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    addin.object.put_void())))
            return false;
    }
    com_ptr<_IDTExtensibility2> connection;
    if (FAILED(addin.object.query(IID__IDTExtensibility2, connection)))
        return false;

    com_ptr<IDispatch> application = m_outlook.Application();
    EmptyCustomArray custom;
    addin.connectResult =
        connection->OnConnection(application.get(), ext_cm_Startup, nullptr, custom.get());
    addin.startupResult = connection->OnStartupComplete(custom.get());

    const int major = _wtoi(m_outlook.version().c_str());
    com_ptr<IRibbonExtensibility> ribbon;
    if (major >= 14 && SUCCEEDED(addin.object.query(IID_IRibbonExtensibility, ribbon))) {
        unique_bstr id(kExplorerRibbon);
        unique_bstr xml;
        addin.ribbonResult = ribbon->GetCustomUI(id.get(), xml.put());
        if (SUCCEEDED(addin.ribbonResult)) {
            addin.ribbonXml = xml.str();
            addin.ribbon = ParseRibbonMarkup(addin.ribbonXml);
            com_ptr<IDispatch> callbacks;
            addin.object.query(IID_IDispatch, callbacks);
            for (const std::wstring& name : RibbonCallbackNames(addin.ribbon)) {
                DISPID dispid = DISPID_UNKNOWN;
                LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
                if (callbacks &&
                    SUCCEEDED(callbacks->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid)))
                    addin.callbacks[name] = dispid;
                else
                    addin.unresolved.push_back(name);
            }
        }
    }
    m_addins.push_back(std::move(addin));
    return true;
}

void AddinHost::Shutdown() {
    for (LoadedAddin& addin : m_addins) {
        com_ptr<_IDTExtensibility2> connection;
        if (SUCCEEDED(addin.object.query(IID__IDTExtensibility2, connection))) {
            EmptyCustomArray custom;
            connection->OnBeginShutdown(custom.get());
            connection->OnDisconnection(ext_dm_HostShutdown, custom.get());
        }
    }
    m_addins.clear(); // releases the add-ins
}

LoadedAddin* AddinHost::Find(const std::wstring& progId) {
    for (LoadedAddin& addin : m_addins) {
        if (addin.progId == progId)
            return &addin;
    }
    return nullptr;
}

HRESULT AddinHost::Fire(const std::wstring& progId, const std::wstring& controlId,
                        const std::wstring& attribute, VARIANT* result) {
    LoadedAddin* addin = Find(progId);
    if (!addin)
        return E_INVALIDARG;
    std::wstring callback;
    for (const RibbonElement& element : addin->ribbon) {
        auto id = element.attributes.find(L"id");
        auto named = element.attributes.find(attribute);
        if (id != element.attributes.end() && id->second == controlId &&
            named != element.attributes.end())
            callback = named->second;
    }
    auto resolved = addin->callbacks.find(callback);
    if (callback.empty() || resolved == addin->callbacks.end())
        return DISP_E_MEMBERNOTFOUND;

    com_ptr<IDispatch> callbacks;
    addin->object.query(IID_IDispatch, callbacks);
    com_ptr<IDispatch> control(new RibbonControl(m_outlook.hostShare(), controlId));
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_DISPATCH;
    arg.pdispVal = control.get();
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    unique_variant value;
    HRESULT hr = callbacks->Invoke(resolved->second, IID_NULL, 0, DISPATCH_METHOD, &params,
                                   value.put(), nullptr, nullptr);
    if (result)
        value.release_to(result);
    return hr;
}

} // namespace sw::sim
