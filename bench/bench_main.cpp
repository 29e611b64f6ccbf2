// Spamwarden's benchmarks: each section prints a table comparing the add-in's
// code with its baseline or with Outlook's limits. Sections by name on the
// command line (startup, commands, options, reapply, tidy, import, earlier,
// history, recording, newmail), or all of them.
#include "bench/sections.h"
#include "platform/user_message.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

int g_messages = 0;

// A benchmark must never wait on a message box: messages are counted and
// reported instead, since any message means a run went wrong.
void CountMessage(const std::wstring& text, const std::wstring&, sw::MessageIcon) {
    ++g_messages;
    std::fprintf(stderr, "unexpected message: %ls\n", text.c_str());
}

struct Section {
    const char* name;
    void (*run)();
};

constexpr Section kSections[] = {
    {"startup", &sw::bench::RunStartupBench},     {"commands", &sw::bench::RunCommandsBench},
    {"options", &sw::bench::RunOptionsBench},     {"reapply", &sw::bench::RunReapplyBench},
    {"tidy", &sw::bench::RunTidyBench},           {"import", &sw::bench::RunImportBench},
    {"earlier", &sw::bench::RunEarlierBench},     {"history", &sw::bench::RunHistoryBench},
    {"recording", &sw::bench::RunRecordingBench}, {"newmail", &sw::bench::RunNewMailBench},
};

bool Chosen(const char* name, int argc, char** argv) {
    if (argc < 2)
        return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        bool known = false;
        for (const Section& section : kSections)
            known = known || std::strcmp(argv[i], section.name) == 0;
        if (!known) {
            std::fprintf(stderr,
                         "usage: spamwarden_bench [startup] [commands] [options] "
                         "[reapply] [tidy] [import] [earlier] [history] [recording] [newmail]\n");
            return 2;
        }
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    sw::SetMessagePresenter(&CountMessage);
    int result = 0;
    try {
        for (const Section& section : kSections) {
            if (Chosen(section.name, argc, argv))
                section.run();
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        result = 1;
    }
    if (g_messages) {
        std::fprintf(stderr, "%d unexpected message(s): the figures are not valid\n", g_messages);
        result = 1;
    }
    CoUninitialize();
    return result;
}
