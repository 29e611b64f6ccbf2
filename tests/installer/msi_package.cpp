#include "tests/installer/msi_package.h"

#include "platform/unique_handle.h"

#include <msi.h>
#include <msiquery.h>

#include <gtest/gtest.h>

#include <utility>

namespace sw::test {
namespace {

class unique_msihandle {
public:
    unique_msihandle() = default;
    unique_msihandle(const unique_msihandle&) = delete;
    unique_msihandle& operator=(const unique_msihandle&) = delete;
    ~unique_msihandle() {
        if (m_handle)
            MsiCloseHandle(m_handle);
    }
    MSIHANDLE get() const noexcept { return m_handle; }
    MSIHANDLE* put() noexcept {
        if (m_handle)
            MsiCloseHandle(std::exchange(m_handle, 0));
        return &m_handle;
    }

private:
    MSIHANDLE m_handle = 0;
};

std::wstring Property(MSIHANDLE database, const wchar_t* name) {
    const std::wstring query =
        std::wstring(L"SELECT `Value` FROM `Property` WHERE `Property` = '") + name + L"'";
    unique_msihandle view;
    unique_msihandle record;
    if (MsiDatabaseOpenViewW(database, query.c_str(), view.put()) != ERROR_SUCCESS ||
        MsiViewExecute(view.get(), 0) != ERROR_SUCCESS ||
        MsiViewFetch(view.get(), record.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[256] = {};
    DWORD length = 255;
    if (MsiRecordGetStringW(record.get(), 1, value, &length) != ERROR_SUCCESS)
        return {};
    return value;
}

std::wstring TempFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

} // namespace

MsiPackage::MsiPackage(std::wstring path) : m_path(std::move(path)) {
    unique_msihandle database;
    EXPECT_EQ(MsiOpenDatabaseW(m_path.c_str(), MSIDBOPEN_READONLY, database.put()), ERROR_SUCCESS)
        << "opening the package";
    m_productCode = Property(database.get(), L"ProductCode");
    m_upgradeCode = Property(database.get(), L"UpgradeCode");
    m_version = Property(database.get(), L"ProductVersion");
}

std::vector<std::wstring> MsiPackage::Select(const std::wstring& query) const {
    std::vector<std::wstring> rows;
    unique_msihandle database;
    unique_msihandle view;
    if (MsiOpenDatabaseW(m_path.c_str(), MSIDBOPEN_READONLY, database.put()) != ERROR_SUCCESS ||
        MsiDatabaseOpenViewW(database.get(), query.c_str(), view.put()) != ERROR_SUCCESS ||
        MsiViewExecute(view.get(), 0) != ERROR_SUCCESS)
        return rows;
    for (unique_msihandle record; MsiViewFetch(view.get(), record.put()) == ERROR_SUCCESS;) {
        DWORD length = 0;
        wchar_t empty[1] = {};
        MsiRecordGetStringW(record.get(), 1, empty, &length);
        std::wstring text(length + 1, L'\0');
        ++length;
        MsiRecordGetStringW(record.get(), 1, text.data(), &length);
        text.resize(length);
        rows.push_back(text);
    }
    return rows;
}

DWORD MsiPackage::Install(const std::wstring& properties) const {
    return Run(L"/i", L"\"" + m_path + L"\"", properties);
}

DWORD MsiPackage::Remove() const {
    return Run(L"/x", L"\"" + m_path + L"\"");
}

bool MsiPackage::Installed() const {
    return MsiQueryProductStateW(m_productCode.c_str()) == INSTALLSTATE_DEFAULT;
}

DWORD MsiPackage::Run(const wchar_t* action, const std::wstring& target,
                      const std::wstring& properties) const {
    m_log = TempFile(L"spamwarden-msiexec-" + std::wstring(action + 1) + L".log");
    DeleteFileW(m_log.c_str());
    return RunProcess(L"msiexec.exe " + std::wstring(action) + L" " + target + L" /qn /l*v \"" +
                      m_log + L"\"" + (properties.empty() ? L"" : L" " + properties));
}

std::wstring MsiPackage::LogText() const {
    const unique_handle file(CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / sizeof(wchar_t));
    return std::wstring(bytes.begin(), bytes.end());
}

std::vector<std::wstring> RelatedProducts(const std::wstring& upgradeCode) {
    std::vector<std::wstring> products;
    wchar_t product[39] = {};
    for (DWORD index = 0;
         MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, index, product) == ERROR_SUCCESS; ++index)
        products.emplace_back(product);
    return products;
}

std::wstring InstalledVersion(const std::wstring& productCode) {
    wchar_t version[64] = {};
    DWORD length = 63;
    if (MsiGetProductInfoW(productCode.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &length) !=
        ERROR_SUCCESS)
        return {};
    return version;
}

DWORD RemoveProduct(const std::wstring& productCode) {
    return RunProcess(L"msiexec.exe /x " + productCode + L" /qn");
}

DWORD RunProcess(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, 120000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace sw::test
