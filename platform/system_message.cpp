#include "platform/system_message.h"

#include "platform/unique_any.h"

namespace sw {
namespace {

using unique_local_text = unique_any<null_handle_traits<wchar_t*, &::LocalFree, nullptr>>;

} // namespace

std::wstring SystemMessageText(DWORD code) {
    unique_local_text buffer;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::wstring text(buffer ? buffer.get() : L"", buffer ? length : 0);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

} // namespace sw
