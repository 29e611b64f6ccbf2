#include "manager/list_transfer.h"

namespace sw {

bool DecodeListFile(std::string_view, std::wstring&, std::wstring& error) {
    error = L"not built yet";
    return false;
}

ImportedLines ParseImportedLines(std::wstring_view) {
    return {};
}

bool ImportListFile(const std::wstring&, ImportedLines&, std::wstring& error) {
    error = L"not built yet";
    return false;
}

std::wstring ImportReport(size_t, size_t, const std::vector<SkippedLine>&) {
    return {};
}

std::string ExportBytes(const std::vector<std::wstring>&) {
    return {};
}

bool ExportListFile(const std::wstring&, const std::vector<std::wstring>&, std::wstring& error) {
    error = L"not built yet";
    return false;
}

} // namespace sw
