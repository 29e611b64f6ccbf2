#include "tests/manager/sample_data.h"

namespace sw::test {

const wchar_t kSampleList[] =
    L"deals@bargain-outlet.example;winner@lottery-prize.example;@spam-king.example;"
    L"newsletter@promo.example.net;offers@cheap-meds.test;no-reply@phish.invalid;"
    L"Info@Crypto-Gains.example;support@account-verify.example.org;"
    L"sales@seo-masters.example;hello@dating-now.example;@bulkmail.example;"
    L"alerts@bank-secure.invalid;team@free-gift-cards.example;prince@inheritance.example;"
    L"promo@casino-royale.test;jobs@work-from-home.example;admin@password-reset.invalid;"
    L"marketing@leads4u.example;";

const wchar_t kUntidyEntries[] =
    L"DEALS@Bargain-Outlet.example;ceo@spam-king.example;news@spam-king.example;"
    L"tips@stock-alerts.example;picks@stock-alerts.example;hot@stock-alerts.example;"
    L"win@stock-alerts.example;offers@gmail.com;deals@gmail.com;promo@gmail.com;"
    L"Marketing@Leads4U.example;";

void RecordSampleHistory() {
    struct SampleRun {
        const wchar_t* command;
        std::vector<std::wstring> entries;
        size_t messages;
        WORD day, hour, minute;
    };
    const SampleRun runs[] = {
        {L"Block Senders", {L"winner@lottery-prize.example"}, 1, 3, 9, 12},
        {L"Block Domains", {L"@spam-king.example", L"@bulkmail.example"}, 14, 4, 16, 40},
        {L"Block Senders",
         {L"deals@bargain-outlet.example", L"offers@cheap-meds.test",
          L"alerts@bank-secure.invalid"},
         3,
         6,
         8,
         5},
        {L"Block Domains", {L"@partner-firm.example"}, 6, 7, 11, 31},
        {L"Block Senders", {L"prince@inheritance.example"}, 2, 7, 14, 2},
        {L"New mail", {L"prince@inheritance.example"}, 1, 7, 22, 48},
    };
    for (const SampleRun& run : runs) {
        HistoryAction action;
        action.command = run.command;
        action.entries = run.entries;
        action.time = {2025, 3, 0, run.day, run.hour, run.minute, 0, 0};
        for (size_t i = 0; i < run.messages; ++i)
            action.messages.push_back({L"00000000AB" + std::to_wstring(i), L"0038", L"00F0"});
        // A run that failed to record is missing from the page that shows it.
        static_cast<void>(RecordHistoryAction(action));
    }
    static_cast<void>(MarkHistoryUndone({1}));
}

} // namespace sw::test
