#include "tests/harness/scratch_files.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sw::test {

std::wstring ScratchPath(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"spamwarden-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           name;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

} // namespace sw::test
