#include "outlook/host_error.h"

#include "platform/user_message.h"

namespace sw {

std::wstring HostErrorText(HRESULT code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length != 0 && buffer) {
        std::wstring text(buffer, length);
        LocalFree(buffer);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0)
            text.resize(text.size() - 2);
        else if (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
            text.pop_back();
        return text;
    }
    if (buffer)
        LocalFree(buffer);
    const auto value = static_cast<unsigned long>(code);
    if (value >= 0x80040200UL && value <= 0x8004FFFFUL)
        return FormatText(L"IDispatch error #%d", static_cast<int>(value - 0x80040200UL));
    return FormatText(L"Unknown error 0x%0lX", value);
}

void ShowHostError(HRESULT code) noexcept {
    try {
        ShowUserMessage(HostErrorText(code));
    } catch (...) {
        // Out of memory while composing the text: nothing more can be shown.
        SW_LOG_CAUGHT();
    }
}

} // namespace sw
