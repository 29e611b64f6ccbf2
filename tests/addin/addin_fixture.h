// A host process's view of the add-in: a simulated Outlook, a redirected
// user registry with one mail profile, and the add-in's type library
// registered from the built DLL.
#pragma once

#include "addin/connect.h"
#include "dll/add_in_object.h"
#include "platform/com_ptr.h"
#include "sim/outlook/outlook_session.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace sw::test {

// The built add-in DLL, as a Windows path.
std::wstring AddinDllPath();

// Registers the add-in's type library from the built DLL once per process.
void RegisterAddinTypeLibrary();

class AddinTest : public ::testing::Test {
protected:
    static constexpr wchar_t kProfile[] = L"Outlook Test";

    AddinTest();
    ~AddinTest() override;

    // The profile's registry for a host of `version` (the MAPI provider
    // and the add-in look under different roots from 15 on).
    void CreateProfile(int version);
    // The profile list key of the profile created, found without the add-in,
    // which forgets the profile at disconnection.
    const std::wstring& ProfileListKey() const noexcept { return m_profileListKey; }
    com_ptr<_IDTExtensibility2> NewConnect();
    // A new Connect, connected to the simulated host of `version`
    // ("14.0.0.4760") and with its start-up completed.
    com_ptr<_IDTExtensibility2> Started(const wchar_t* version);

    RegistrySandbox m_sandbox;
    MessageRecorder m_messages;
    sim::OutlookSession m_outlook{L"14.0.0.4760"};

private:
    std::wstring m_profileListKey;
};

} // namespace sw::test
