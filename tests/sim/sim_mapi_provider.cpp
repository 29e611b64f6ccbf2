#include "tests/sim/sim_mapi_provider.h"

namespace sw::test {
namespace {

std::wstring ReadMachineText(const std::wstring& path, const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

} // namespace

std::wstring RegisteredMapiProviderPath() {
    const std::wstring mailKey = L"Software\\Clients\\Mail";
    const std::wstring client = ReadMachineText(mailKey, nullptr);
    if (client.empty())
        return {};
    return ReadMachineText(mailKey + L"\\" + client, L"DLLPathEx");
}

SimMapiProvider::SimMapiProvider() {
    const std::wstring path = RegisteredMapiProviderPath();
    if (path.empty())
        return;
    m_module = LoadLibraryW(path.c_str());
    if (m_module)
        m_getCounts = proc<SimMapiGetCountsFn>(kSimMapiGetCountsName);
}

SimMapiProvider::~SimMapiProvider() {
    if (m_module)
        FreeLibrary(m_module);
}

SimMapiCounts SimMapiProvider::counts() const {
    SimMapiCounts counts = {-1, -1, -1, -1, -1};
    if (m_getCounts)
        m_getCounts(&counts);
    return counts;
}

std::wstring OutlookKey(int version) {
    return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook";
}

} // namespace sw::test
