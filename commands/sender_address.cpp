#include "commands/sender_address.h"

namespace sw {

bool IsListableAddress(std::wstring_view address) noexcept {
    for (wchar_t c : address) {
        if (c == L';' || c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return false;
    }
    return true;
}

} // namespace sw
