// Test entry point: no test may ever put up a real message box, so messages
// that no test expects are recorded and fail the test that caused them.
#include "platform/user_message.h"

#include <gtest/gtest.h>

#include <objbase.h>

namespace {

void FailOnMessage(const std::wstring& text, const std::wstring&, sw::MessageIcon) {
    ADD_FAILURE() << "unexpected user message: "
                  << std::string(text.begin(), text.end()); // ASCII texts only
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    sw::SetMessagePresenter(&FailOnMessage);
    int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
