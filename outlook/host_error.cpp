#include "outlook/host_error.h"

#include "platform/system_message.h"
#include "platform/text_format.h"
#include "platform/user_message.h"

namespace sw {

std::wstring HostErrorText(HRESULT code) {
    if (std::wstring text = SystemMessageText(static_cast<DWORD>(code)); !text.empty())
        return text;
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
