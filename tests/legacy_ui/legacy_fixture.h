// A Connect started on a simulated Outlook before version 14, with its
// command bars, and the shell calls of Help and Support recorded.
#pragma once

#include "sim/outlook/command_bar_model.h"
#include "support/shell_open.h"
#include "tests/addin/addin_fixture.h"

#include <string>
#include <vector>

namespace sw::test {

class LegacySurfaceTest : public AddinTest {
protected:
    LegacySurfaceTest();
    ~LegacySurfaceTest() override;

    // OnConnection and OnStartupComplete on a host of `version` ("12.0.0.6423")
    // with the test profile in place.
    com_ptr<_IDTExtensibility2> Started(const wchar_t* version);

    sim::CommandBarSet& bars() { return m_outlook.commandBars(); }
    // The add-in's toolbar, or nullptr.
    sim::CommandBar* Toolbar() { return bars().Find(L"Spamwarden"); }
    std::vector<std::wstring> ToolbarTags();
    // The toolbar button with that tag; fails the test when there is none.
    sim::CommandBarControl& Button(const wchar_t* tag);

    sim::Item& Mail(const wchar_t* sender);
    std::wstring BlockedList();

public:
    // What Help and Support handed to the shell.
    static std::vector<std::wstring> s_shellTargets;

private:
    ShellOpener m_previousShell;
};

} // namespace sw::test
