// The message after a blocking command that has made the Blocked Senders
// list nearly full, or fuller than Exchange keeps.
#pragma once

#include <string>
#include <string_view>

namespace sw {

// Called after a command has written the grown list: shows one message when
// the list has passed 90 % or 100 % of a limit for the first time since the
// module was loaded, with `postscript`, when there is one, below it in the
// same box. Answers whether it showed the message. Raises nothing.
bool WarnAboutCapacity(std::wstring_view blockedText, std::wstring_view safeText,
                       std::wstring_view postscript = {}) noexcept;

// The message for a list at `level` (Warning or Over) with this capacity.
std::wstring CapacityWarningText(int level, const std::wstring& capacityText);

} // namespace sw
