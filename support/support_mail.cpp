#include "support/support_mail.h"

#include "platform/diagnostics.h"
#include "platform/text_format.h"
#include "store/state.h"
#include "support/os_name.h"
#include "support/shell_open.h"
#include "support/support_address.h"

namespace sw {
namespace {

// Each "%%0a%%0d" becomes the escaped line break "%0a%0d" of the mail body.
// Wide arguments are passed as %ls: the runtime's %s may expect a narrow text.
constexpr wchar_t kBodyFormat[] =
    L"?body= Please provide the following info to help us troubleshooting. Thanks. %%0a%%0d "
    L"Operation System: %ls %%0a%%0d Outlook Version: %d %%0a%%0d Product: %ls %%0a%%0d "
    L"Product Version: %ls %%0a%%0d Problem Description: (Step by Step) %%0a%%0d "
    L"Screenshot(s): (Optional) %%0a%%0d Please attach sample files (.dwg and/or .xls) to help "
    L"us troubleshooting if applicable. %%0a%%0d We will working on your problem and give you "
    L"answers ASAP.";

} // namespace

std::wstring SupportMailLink(const std::wstring& osName, int hostVersion,
                             const std::wstring& address) {
    return L"mailto:" + address +
           FormatText(kBodyFormat, osName.c_str(), hostVersion, kProductName, kProductVersion);
}

void OpenSupportMail() noexcept {
    try {
        ShellOpen(SupportMailLink(GetOsName(), g_host.capabilities.version, SupportAddress()));
    } catch (...) {
        // Support shows nothing.
        SW_LOG_CAUGHT();
    }
}

} // namespace sw
