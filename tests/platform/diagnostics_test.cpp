// The diagnostics path: where the level comes from, what reaches the log
// file, the cap, and a second writer.
#include "platform/diagnostics.h"

#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

namespace sw::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DiagnosticsTest : public ::testing::Test {
protected:
    DiagnosticsTest() : m_folder(ScratchPath(L"diagnostics")) {
        // The folder and its parent are made by the first record.
        m_previous = SetLogFolder(m_folder + L"\\Tallpine\\Spamwarden");
        m_log = LogFilePath();
    }
    ~DiagnosticsTest() override {
        DeleteFileW(m_log.c_str());
        DeleteFileW((m_log + L".1").c_str());
        RemoveDirectoryW((m_folder + L"\\Tallpine\\Spamwarden").c_str());
        RemoveDirectoryW((m_folder + L"\\Tallpine").c_str());
        RemoveDirectoryW(m_folder.c_str());
        SetLogFolder(m_previous);
    }

    static void SetLevel(DWORD level) {
        RegistrySandbox::SetDword(kProductSettingsKey, kLogLevelValue, level);
    }

    RegistrySandbox m_sandbox;
    MachineRegistrySandbox m_machine;
    std::wstring m_folder;
    std::wstring m_previous;
    std::wstring m_log;
};

TEST_F(DiagnosticsTest, PoliciesWinOverTheUsersOwnSetting) {
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Off) << "nothing set";
    SetLevel(1);
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Failures);
    SetLevel(7);
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Commands) << "above 2 counts as 2";

    RegistrySandbox::SetDword(kProductPolicyKey, kLogLevelValue, 0);
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Off) << "the user's policy wins over the setting";
    const DWORD two = 2;
    m_machine.SetValue(kProductPolicyKey, kLogLevelValue, REG_DWORD, &two, sizeof two);
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Commands) << "the machine's policy wins over both";

    // A value of the wrong type or size is no setting at all.
    m_machine.SetText(kProductPolicyKey, kLogLevelValue, L"2");
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Off) << "falls through to the user's policy";
    RegistrySandbox::SetValue(kProductPolicyKey, kLogLevelValue, REG_DWORD, &two, 2);
    EXPECT_EQ(CurrentLogLevel(), LogLevel::Commands) << "falls through to the setting (7)";
}

TEST_F(DiagnosticsTest, RecordsReachTheFileByLevel) {
    SW_LOG_IF_FAILED(E_ACCESSDENIED);
    EXPECT_FALSE(Exists(m_log)) << "off: debug output only";

    SetLevel(1);
    EXPECT_EQ(SW_LOG_IF_FAILED(E_ACCESSDENIED), E_ACCESSDENIED);
    const int failureLine = __LINE__ - 1;
    EXPECT_EQ(SW_LOG_IF_FAILED(S_FALSE), S_FALSE) << "success is not recorded";
    EXPECT_EQ(SW_LOG_IF_WIN32_ERROR(ERROR_FILE_NOT_FOUND), ERROR_FILE_NOT_FOUND);
    LogCommandSummary(L"Block Senders: 1 items");
    std::string text = ReadBytes(m_log);
    EXPECT_THAT(text, HasSubstr("failure: E_ACCESSDENIED: 0x80070005 at "
                                "tests/platform/diagnostics_test.cpp:" +
                                std::to_string(failureLine) + "\r\n"));
    EXPECT_THAT(text, HasSubstr("failure: ERROR_FILE_NOT_FOUND: Win32 error 2 at "));
    EXPECT_THAT(text, Not(HasSubstr("S_FALSE")));
    EXPECT_THAT(text, Not(HasSubstr("Block Senders"))) << "summaries need level 2";

    SetLevel(2);
    LogCommandSummary(L"Block Senders: 1 items, 1 moved, 1 entries added, 0 ms");
    EXPECT_THAT(ReadBytes(m_log), HasSubstr("] Block Senders: 1 items, 1 moved"));
}

TEST_F(DiagnosticsTest, CaughtExceptionsAreRecordedWithTheirCode) {
    SetLevel(1);
    try {
        throw CodedError(RPC_E_DISCONNECTED);
    }
    SW_CATCH_LOG()
    try {
        throw std::bad_alloc();
    }
    SW_CATCH_LOG()
    try {
        throw 42;
    }
    SW_CATCH_LOG()
    const std::string text = ReadBytes(m_log);
    EXPECT_THAT(text, HasSubstr("failure: exception: 0x80010108"));
    EXPECT_THAT(text, HasSubstr("failure: out of memory: 0x8007000E"));
    EXPECT_THAT(text, HasSubstr("failure: unknown exception: 0x8000FFFF"));
}

TEST_F(DiagnosticsTest, TheFileIsCappedAndOneOlderFileKept) {
    SetLevel(1);
    SW_LOG_IF_FAILED(E_FAIL); // makes the folder and the file
    {
        // A file already at the cap, and an older one to be replaced.
        std::ofstream full(std::filesystem::path(m_log), std::ios::binary | std::ios::app);
        full << std::string(kLogFileLimit, 'x');
        std::ofstream older(std::filesystem::path(m_log + L".1"), std::ios::binary);
        older << "the oldest records";
    }
    SW_LOG_IF_FAILED(E_ABORT);
    const std::string current = ReadBytes(m_log);
    EXPECT_THAT(current, HasSubstr("E_ABORT"));
    EXPECT_LT(current.size(), 1000u) << "started afresh";
    const std::string older = ReadBytes(m_log + L".1");
    EXPECT_GE(older.size(), kLogFileLimit) << "the full file became the older one";
    EXPECT_THAT(older, HasSubstr("E_FAIL"));
}

TEST_F(DiagnosticsTest, ASecondWriterOrReaderBreaksNothing) {
    SetLevel(1);
    SW_LOG_IF_FAILED(E_FAIL);
    // Another Outlook process holds the file open for appending, and a
    // viewer reads it, while this one writes.
    HANDLE other = CreateFileW(m_log.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    HANDLE viewer = CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const char line[] = "other process\r\n";
    DWORD written = 0;
    WriteFile(other, line, sizeof line - 1, &written, nullptr);
    SW_LOG_IF_FAILED(E_ABORT);
    CloseHandle(viewer);
    CloseHandle(other);
    const std::string text = ReadBytes(m_log);
    EXPECT_THAT(text, HasSubstr("E_FAIL"));
    EXPECT_THAT(text, HasSubstr("other process"));
    EXPECT_THAT(text, HasSubstr("E_ABORT"));

    // A log folder that cannot be made (a file stands in its way): the
    // record is lost, nothing is thrown.
    DeleteFileW(m_log.c_str());
    RemoveDirectoryW((m_folder + L"\\Tallpine\\Spamwarden").c_str());
    std::ofstream(std::filesystem::path(m_folder + L"\\Tallpine\\Spamwarden")) << "a file";
    SW_LOG_IF_FAILED(E_FAIL);
    DeleteFileW((m_folder + L"\\Tallpine\\Spamwarden").c_str());
}

} // namespace
} // namespace sw::test
