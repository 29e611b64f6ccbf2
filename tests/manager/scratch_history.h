// A manager test whose history file lives in a scratch folder of its own,
// emptied before and removed after the test.
#pragma once

#include "store/history.h"
#include "tests/harness/scratch_files.h"
#include "tests/manager/manager_fixture.h"

#include <filesystem>
#include <string>

namespace sw::test {

class ScratchHistoryTest : public ManagerTest {
protected:
    explicit ScratchHistoryTest(const wchar_t* name) : m_folder(ScratchPath(name)) {
        std::filesystem::remove_all(std::filesystem::path(m_folder));
        m_previous = SetHistoryFolder(m_folder);
    }
    ~ScratchHistoryTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_folder), ignored);
        SetHistoryFolder(m_previous);
    }

private:
    std::wstring m_folder;
    std::wstring m_previous;
};

} // namespace sw::test
