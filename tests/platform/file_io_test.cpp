// Whole-file reads and atomic replacement against real files: limits,
// sharing, missing paths, folders, and failures that must leave the old
// file alone.
#include "platform/file_io.h"

#include "platform/file_replacement.h"
#include "platform/unique_handle.h"
#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sw::test {
namespace {

class FileIoTest : public ::testing::Test {
protected:
    FileIoTest() {
        m_folder = ScratchPath(L"file-io");
        std::filesystem::remove_all(m_folder);
        CreateDirectoryW(m_folder.c_str(), nullptr);
    }
    ~FileIoTest() override {
        for (const auto& item : std::filesystem::directory_iterator(m_folder))
            SetFileAttributesW(item.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::wstring PathOf(const wchar_t* name) const { return m_folder + L"\\" + name; }

    // The names in the scratch folder: a temporary file left behind shows.
    std::vector<std::wstring> FolderNames() const {
        std::vector<std::wstring> names;
        for (const auto& item : std::filesystem::directory_iterator(m_folder))
            names.push_back(item.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }
    static unique_handle Open(const std::wstring& path, DWORD access, DWORD share) {
        return unique_handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    std::wstring m_folder;
};

using Names = std::vector<std::wstring>;

TEST_F(FileIoTest, ReadsEveryByteAndRefusesFilesOverTheLimit) {
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    binary += "\r\n\r\x1A tail";
    const std::wstring path = PathOf(L"binary.dat");
    WriteBytes(path, binary);

    std::string bytes = "stale";
    EXPECT_EQ(ReadWholeFile(path, binary.size(), bytes), ERROR_SUCCESS) << "exactly the limit";
    EXPECT_EQ(bytes, binary);

    bytes = "stale";
    EXPECT_EQ(ReadWholeFile(path, binary.size() - 1, bytes), ERROR_FILE_TOO_LARGE);
    EXPECT_TRUE(bytes.empty());

    WriteBytes(path, "");
    bytes = "stale";
    EXPECT_EQ(ReadWholeFile(path, 0, bytes), ERROR_SUCCESS);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(FileIoTest, PathsThatAreNoReadableFileGiveTheirErrors) {
    std::string bytes = "stale";
    EXPECT_EQ(ReadWholeFile(PathOf(L"absent.txt"), 100, bytes), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadWholeFile(PathOf(L"absent\\list.txt"), 100, bytes), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ReadWholeFile(m_folder, 100, bytes), ERROR_ACCESS_DENIED) << "a folder";
    EXPECT_EQ(ReadWholeFile(L"\\\\.\\NUL", 100, bytes), ERROR_INVALID_FUNCTION)
        << "a device is not read";
}

TEST_F(FileIoTest, AFileOpenElsewhereIsReadUnlessItsOwnerSharesNothing) {
    const std::wstring path = PathOf(L"list.txt");
    WriteBytes(path, "ann@spam.example\r\n");
    std::string bytes;
    {
        // Another program still writing the file.
        const unique_handle writer =
            Open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(writer);
        SetFilePointer(writer.get(), 0, nullptr, FILE_END);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(writer.get(), "@more.example\r\n", 15, &written, nullptr));
        EXPECT_EQ(ReadWholeFile(path, 1000, bytes), ERROR_SUCCESS);
        EXPECT_EQ(bytes, "ann@spam.example\r\n@more.example\r\n");
    }
    {
        const unique_handle locker = Open(path, GENERIC_READ, 0);
        ASSERT_TRUE(locker);
        bytes = "stale";
        EXPECT_EQ(ReadWholeFile(path, 1000, bytes), ERROR_SHARING_VIOLATION);
        EXPECT_TRUE(bytes.empty());
    }
}

TEST_F(FileIoTest, WritesANewFileOrReplacesOneLeavingNoTemporaryFile) {
    const std::wstring path = PathOf(L"export.txt");
    EXPECT_EQ(WriteFileAtomically(path, "first\r\nversion\r\n"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(path), "first\r\nversion\r\n");

    EXPECT_EQ(WriteFileAtomically(path, "short"), ERROR_SUCCESS) << "replaced, not overwritten";
    EXPECT_EQ(ReadBytes(path), "short");

    EXPECT_EQ(WriteFileAtomically(path, ""), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(FolderNames(), Names{L"export.txt"});

    const std::string large(3 * 1024 * 1024 + 7, 'x');
    EXPECT_EQ(WriteFileAtomically(path, large), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(path), large);
    EXPECT_EQ(FolderNames(), Names{L"export.txt"});
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::wstring path = PathOf(L"export.txt");
    WriteBytes(path, "old");

    {
        const unique_handle holder = Open(path, GENERIC_READ, 0);
        ASSERT_TRUE(holder);
        EXPECT_EQ(WriteFileAtomically(path, "new"), ERROR_SHARING_VIOLATION)
            << "open elsewhere, sharing nothing";
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderNames(), Names{L"export.txt"});

    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WriteFileAtomically(path, "new"), ERROR_ACCESS_DENIED) << "read-only";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderNames(), Names{L"export.txt"});

    const std::wstring folder = PathOf(L"folder");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(WriteFileAtomically(folder, "new"), ERROR_ACCESS_DENIED) << "a folder";
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(FolderNames(), (Names{L"export.txt", L"folder"}));

    EXPECT_EQ(WriteFileAtomically(PathOf(L"absent\\export.txt"), "new"), ERROR_PATH_NOT_FOUND);
    // Refused only when the written file is moved to its name: the
    // temporary file goes.
    EXPECT_EQ(WriteFileAtomically(PathOf(L"bad<name>.txt"), "new"), ERROR_INVALID_NAME);
    EXPECT_EQ(FolderNames(), (Names{L"export.txt", L"folder"}));
}

TEST(Win32ErrorTextTest, TheSystemsTextWithoutLineBreakOrTheNumber) {
    const std::wstring text = Win32ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_THAT(text, testing::HasSubstr(L"ot found")) << "Wine's \"File not found.\"";
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(Win32ErrorText(0x2FFFFFFF), L"error 805306367");
}

} // namespace
} // namespace sw::test
