#include "commands/stayed_messages.h"

#include "platform/text_format.h"
#include "store/list_capacity.h"

namespace sw {
namespace {

// Why messages stayed where they were, for one message and for several.
struct StayedReason {
    size_t StayedMessages::*count;
    const wchar_t* one;
    CheckedFormat<const wchar_t*> many;
};
constexpr StayedReason kStayedReasons[] = {
    {&StayedMessages::publicFolders,
     L"1 message in a public folder stayed where it is; its sender is blocked.",
     L"%ls messages in public folders stayed where they are; their senders are blocked."},
    {&StayedMessages::othersMailbox,
     L"1 message in another person's mailbox stayed where it is; its sender is blocked.",
     L"%ls messages in other people's mailboxes stayed where they are; their senders are "
     L"blocked."},
    {&StayedMessages::notMoved,
     L"1 message stayed where it is: Outlook could not move it to Junk E-mail. Its sender is "
     L"blocked.",
     L"%ls messages stayed where they are: Outlook could not move them to Junk E-mail. Their "
     L"senders are blocked."},
};

} // namespace

std::wstring StayedText(const StayedMessages& stayed) {
    std::wstring text;
    for (const StayedReason& reason : kStayedReasons) {
        const size_t count = stayed.*reason.count;
        if (count == 0)
            continue;
        if (!text.empty())
            text += L' ';
        text += count == 1 ? std::wstring(reason.one)
                           : FormatText(reason.many, GroupedNumber(count).c_str());
    }
    return text;
}

} // namespace sw
