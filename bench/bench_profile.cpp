#include "bench/bench_profile.h"

#include "bench/scratch_registry.h"
#include "store/profile_store.h"
#include "store/state.h"

#include <cstdio>

namespace sw::bench {
namespace {

constexpr wchar_t kBlockedValue[] = L"001f041a";
constexpr wchar_t kSafeValue[] = L"001f0418";

} // namespace

std::vector<std::wstring> CreateBenchProfile(int version, int accounts) {
    g_host.capabilities = HostCapabilities(version);
    g_host.profileName = kBenchProfile;
    ScratchRegistry::CreateKey(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey));
    ScratchRegistry::SetText(ProfilesRootPath(g_host.capabilities), L"DefaultProfile",
                             kBenchProfile);
    ScratchRegistry::SetDword(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion",
                              static_cast<unsigned long>(version));

    std::vector<std::wstring> names;
    const std::wstring accountsPath = ProfileSubkeyPath(g_host.Profile(), kAccountsSubkey);
    for (int i = 0; i < accounts; ++i) {
        wchar_t subkey[16];
        std::swprintf(subkey, 16, L"%08x", i + 1);
        const std::wstring path = accountsPath + L"\\" + subkey;
        ScratchRegistry::SetText(path, L"Email", L"user" + std::to_wstring(i) + L"@corp.example");
        unsigned char uid[16];
        for (int b = 0; b < 16; ++b)
            uid[b] = static_cast<unsigned char>(0x11 * (i + 1) + b);
        ScratchRegistry::SetBinary(path, L"Preferences UID", uid, sizeof uid);

        std::wstring name;
        for (unsigned char byte : uid) {
            wchar_t hex[3];
            std::swprintf(hex, 3, L"%02x", byte);
            name += hex;
        }
        ScratchRegistry::CreateKey(ProfileSubkeyPath(g_host.Profile(), name));
        names.push_back(name);
    }
    return names;
}

void StoreBlockedList(const std::wstring& text) {
    ScratchRegistry::SetBinaryText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                   kBlockedValue, text);
}

void StoreSafeList(const std::wstring& text) {
    ScratchRegistry::SetBinaryText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                   kSafeValue, text);
}

std::wstring StoredBlockedList() {
    return ScratchRegistry::GetText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                    kBlockedValue);
}

std::wstring StoredAccountList(const std::wstring& account) {
    return ScratchRegistry::GetText(ProfileSubkeyPath(g_host.Profile(), account), kBlockedValue);
}

} // namespace sw::bench
