#include "platform/user_message.h"

#include "platform/diagnostics.h"


namespace sw {
namespace {

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon) {
    MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | static_cast<UINT>(icon));
}

// A test seam and the count it reads; below store/, so not in g_host.
MessagePresenter g_presenter = &ShowMessageBox;
unsigned long g_shownMessages = 0;

} // namespace

void ShowUserMessage(const std::wstring& text, MessageIcon icon, const wchar_t* caption) noexcept {
    ++g_shownMessages;
    try {
        g_presenter(text, caption ? caption : kMessageCaption, icon);
    } catch (...) {
        // A message that cannot be shown must not take the host down.
        SW_LOG_CAUGHT();
    }
}

unsigned long ShownMessageCount() noexcept {
    return g_shownMessages;
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter) noexcept {
    MessagePresenter previous = g_presenter;
    g_presenter = presenter ? presenter : &ShowMessageBox;
    return previous;
}

} // namespace sw
