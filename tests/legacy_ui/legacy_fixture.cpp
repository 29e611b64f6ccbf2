#include "tests/legacy_ui/legacy_fixture.h"

#include "store/profile_store.h"
#include "store/settings.h"

#include <stdexcept>

namespace sw::test {

std::vector<std::wstring> LegacySurfaceTest::s_shellTargets;

namespace {

void RecordShell(const std::wstring& target) {
    LegacySurfaceTest::s_shellTargets.push_back(target);
}

} // namespace

LegacySurfaceTest::LegacySurfaceTest() : m_previousShell(SetShellOpener(&RecordShell)) {
    s_shellTargets.clear();
}

LegacySurfaceTest::~LegacySurfaceTest() {
    SetShellOpener(m_previousShell);
}

com_ptr<_IDTExtensibility2> LegacySurfaceTest::Started(const wchar_t* version) {
    m_outlook.SetVersion(version);
    CreateProfile(static_cast<int>(m_outlook.majorVersion()));
    // The surface's own sinks alone: new mail is watched through a sink of
    // its own, tested with the start-up state.
    RegistrySandbox::SetDword(L"software\\Tallpine\\Spamwarden", kMoveNewMailValue, 0);
    return AddinTest::Started(version);
}

std::vector<std::wstring> LegacySurfaceTest::ToolbarTags() {
    std::vector<std::wstring> tags;
    if (sim::CommandBar* bar = Toolbar()) {
        for (size_t i = 0; i < bar->controls().size(); ++i)
            tags.push_back(bar->controls()[i].tag);
    }
    return tags;
}

sim::CommandBarControl& LegacySurfaceTest::Button(const wchar_t* tag) {
    sim::CommandBar* bar = Toolbar();
    if (!bar)
        throw std::runtime_error("no toolbar");
    for (size_t i = 0; i < bar->controls().size(); ++i) {
        if (bar->controls()[i].tag == tag)
            return bar->controls()[i];
    }
    throw std::runtime_error("no such button");
}

sim::Item& LegacySurfaceTest::Mail(const wchar_t* sender) {
    auto& box = m_outlook.mailbox();
    return box.AddMail(box.Inbox(), sender, {L"me@corp.example", L"you@corp.example"});
}

std::wstring LegacySurfaceTest::BlockedList() {
    return RegistrySandbox::GetText(ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey),
                                    L"001f041a")
        .value_or(L"(none)");
}

} // namespace sw::test
