// A host process's view of the add-in: a simulated Outlook, a redirected
// user registry with one mail profile, and the add-in's type library
// registered from the built DLL.
#pragma once

#include "host/com_ptr.h"
#include "host/connect.h"
#include "host/host_app.h"
#include "sim/outlook/outlook_session.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/support/message_recorder.h"
#include "tests/support/registry_sandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace sw::test {

// The built add-in DLL, as a Windows path.
std::wstring AddinDllPath();

// Registers the add-in's type library from the built DLL once per process.
void RegisterAddinTypeLibrary();

// Resets every piece of process-wide state the add-in keeps.
void ResetAddinState();

class AddinTest : public ::testing::Test {
protected:
    static constexpr wchar_t kProfile[] = L"Outlook Test";

    AddinTest();
    ~AddinTest() override;

    // The profile's registry for a host of `version` (the MAPI provider
    // and the add-in look under different roots from 15 on).
    void CreateProfile(int version);
    com_ptr<_IDTExtensibility2> NewConnect();

    RegistrySandbox m_sandbox;
    MessageRecorder m_messages;
    sim::OutlookSession m_outlook{L"14.0.0.4760"};
};

} // namespace sw::test
