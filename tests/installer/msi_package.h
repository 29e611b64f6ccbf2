// A Windows Installer package file and the product it installs, driven the
// way an administrator does: msiexec /i and /x, silently, with a log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sw::test {

class MsiPackage {
public:
    // Reads the package's product code, upgrade code and version.
    explicit MsiPackage(std::wstring path);

    const std::wstring& path() const noexcept { return m_path; }
    const std::wstring& productCode() const noexcept { return m_productCode; }
    const std::wstring& upgradeCode() const noexcept { return m_upgradeCode; }
    const std::wstring& version() const noexcept { return m_version; }

    // The first column of every row the SQL query selects from the package.
    std::vector<std::wstring> Select(const std::wstring& query) const;

    // msiexec /i or /x with /qn; the exit code (0 on success). `properties`
    // are added to the command line as given ("SKIPBITNESSCHECK=1").
    DWORD Install(const std::wstring& properties = {}) const;
    DWORD Remove() const;
    bool Installed() const;
    // Where the last msiexec run of this package wrote its log.
    const std::wstring& logPath() const noexcept { return m_log; }
    // That log's text (Windows Installer writes it in UTF-16 or ANSI).
    std::wstring LogText() const;

private:
    DWORD Run(const wchar_t* action, const std::wstring& target,
              const std::wstring& properties = {}) const;

    std::wstring m_path;
    std::wstring m_productCode;
    std::wstring m_upgradeCode;
    std::wstring m_version;
    mutable std::wstring m_log;
};

// Product codes of the installed products with this upgrade code.
std::vector<std::wstring> RelatedProducts(const std::wstring& upgradeCode);
// The installed product's version string, empty if it is not installed.
std::wstring InstalledVersion(const std::wstring& productCode);
// msiexec /x {product} /qn; the exit code.
DWORD RemoveProduct(const std::wstring& productCode);

// Runs a command line, waits for it and returns its exit code.
DWORD RunProcess(std::wstring commandLine);

} // namespace sw::test
