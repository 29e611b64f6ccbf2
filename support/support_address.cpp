#include "support/support_address.h"

#include "platform/diagnostics.h"
#include "platform/policy.h"
#include "store/settings.h"
#include "support/support_mail.h"

#include <optional>

namespace sw {
namespace {

bool IsAddressCharacter(wchar_t c) noexcept {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
        return true;
    return std::wstring_view(L".-_+!$'*/=~").find(c) != std::wstring_view::npos;
}

// The value when it is usable; a set but unusable one is recorded.
std::optional<std::wstring> Usable(std::optional<std::wstring> value) {
    if (!value)
        return std::nullopt;
    if (IsUsableSupportAddress(*value))
        return value;
    SW_LOG_FAILURE(L"SupportAddress is not a usable mail address", E_INVALIDARG);
    return std::nullopt;
}

} // namespace

bool IsUsableSupportAddress(std::wstring_view address) noexcept {
    const size_t at = address.find(L'@');
    if (at == std::wstring_view::npos || at == 0 || at + 1 == address.size() ||
        address.find(L'@', at + 1) != std::wstring_view::npos || address.size() > 254)
        return false;
    for (wchar_t c : address) {
        if (c != L'@' && !IsAddressCharacter(c))
            return false;
    }
    return true;
}

std::wstring SupportAddress() {
    for (const PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
        if (auto policy = Usable(ReadPolicyText(kSupportAddressValue, scope)))
            return *policy;
    }
    if (auto machine = Usable(ReadMachineText(kSupportAddressValue)))
        return *machine;
    // A package for one user records it in the user's own settings.
    if (std::wstring user = ReadSettingText(kSettingsSection, kSupportAddressValue, {});
        !user.empty()) {
        if (auto usable = Usable(std::move(user)))
            return *usable;
    }
    return kSupportAddress;
}

} // namespace sw
