#include "tests/addin/addin_fixture.h"

#include "commands/command_guard.h"

#include <oleauto.h>

namespace sw::test {

std::wstring AddinDllPath() {
    std::string unix = SW_ADDIN_DLL;
    std::wstring path = L"Z:" + std::wstring(unix.begin(), unix.end());
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

void RegisterAddinTypeLibrary() {
    static bool registered = [] {
        com_ptr<ITypeLib> library;
        HRESULT hr = LoadTypeLibEx(AddinDllPath().c_str(), REGKIND_REGISTER, library.put());
        EXPECT_EQ(hr, S_OK) << "registering the add-in's type library";
        return SUCCEEDED(hr);
    }();
    (void)registered;
}

AddinTest::AddinTest() {
    RegisterAddinTypeLibrary();
    ResetAddinState();
}

AddinTest::~AddinTest() {
    ResetAddinState();
}

void AddinTest::CreateProfile(int version) {
    std::wstring root =
        version >= 15
            ? L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook\\Profiles"
            : L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
              L"Subsystem\\Profiles";
    RegistrySandbox::CreateKey(root + L"\\Other Profile\\" + kProfileListSubkey);
    RegistrySandbox::CreateKey(root + L"\\" + kProfile + L"\\" + kProfileListSubkey);
    RegistrySandbox::SetText(root, L"DefaultProfile", kProfile);
    m_profileListKey = root + L"\\" + kProfile + L"\\" + kProfileListSubkey;
    RegistrySandbox::SetDword(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion",
                              static_cast<DWORD>(version));
}

com_ptr<_IDTExtensibility2> AddinTest::NewConnect() {
    com_ptr<_IDTExtensibility2> connect;
    EXPECT_EQ(CreateAddInObject(nullptr, IID__IDTExtensibility2, connect.put_void()), S_OK);
    return connect;
}

com_ptr<_IDTExtensibility2> AddinTest::Started(const wchar_t* version) {
    m_outlook.SetVersion(version);
    auto connect = NewConnect();
    EXPECT_EQ(
        connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(connect->OnStartupComplete(nullptr), S_OK);
    return connect;
}

} // namespace sw::test
