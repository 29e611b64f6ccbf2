#include "platform/file_io.h"

namespace sw {

DWORD ReadWholeFile(const std::wstring&, size_t, std::string& bytes) {
    bytes.clear();
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DWORD WriteFileAtomically(const std::wstring&, std::string_view) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

std::wstring Win32ErrorText(DWORD) {
    return {};
}

} // namespace sw
