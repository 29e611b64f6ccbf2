#include "commands/capacity_warning.h"

#include "platform/diagnostics.h"
#include "platform/user_message.h"
#include "store/list_capacity.h"
#include "store/state.h"

namespace sw {

std::wstring CapacityWarningText(int level, const std::wstring& capacityText) {
    if (level >= static_cast<int>(CapacityLevel::Over))
        return L"Your Blocked Senders list is larger than Outlook and Exchange can keep (" +
               capacityText +
               L"). Entries past the limit are dropped without a warning, and Outlook may stop "
               L"updating your junk e-mail lists on the server.\n\nTo make room, open Options > "
               L"Blocked Senders and press Tidy, or remove entries you no longer need.";
    return L"Your Blocked Senders list is nearly full (" + capacityText +
           L"). Outlook and Exchange keep at most " + GroupedNumber(kBlockedEntryLimit) +
           L" blocked entries and " + std::to_wstring(kJunkListByteLimit / 1024) +
           L" KB of junk e-mail lists; past that, new entries are dropped without a "
           L"warning.\n\nTo make room, open Options > Blocked Senders and press Tidy.";
}

bool WarnAboutCapacity(std::wstring_view blockedText, std::wstring_view safeText,
                       std::wstring_view postscript) noexcept {
    try {
        const ListCapacity capacity = CapacityOf(blockedText, safeText);
        const int level = static_cast<int>(capacity.Level());
        if (level <= g_host.capacityWarned)
            return false;
        std::wstring text = CapacityWarningText(level, capacity.Text());
        if (!postscript.empty())
            text.append(L"\n\n").append(postscript);
        g_host.capacityWarned = level;
        ShowUserMessage(text);
        return true;
    } catch (...) {
        SW_LOG_CAUGHT();
        return false;
    }
}

} // namespace sw
