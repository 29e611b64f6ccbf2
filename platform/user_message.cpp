#include "platform/user_message.h"

#include "platform/diagnostics.h"

namespace sw {
namespace {

void ShowMessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon) {
    MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | static_cast<UINT>(icon));
}

// A test seam: tests record the messages instead of showing them.
MessagePresenter g_presenter = &ShowMessageBox;

} // namespace

void ShowUserMessage(const std::wstring& text, MessageIcon icon, const wchar_t* caption) noexcept {
    try {
        g_presenter(text, caption ? caption : kMessageCaption, icon);
    } catch (...) {
        // A message that cannot be shown must not take the host down.
        SW_LOG_CAUGHT();
    }
}

void ShowOutcome(const Outcome& outcome) noexcept {
    for (const Outcome::Failure& failure : outcome.failures())
        ShowUserMessage(failure.text);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter) noexcept {
    MessagePresenter previous = g_presenter;
    g_presenter = presenter ? presenter : &ShowMessageBox;
    return previous;
}

} // namespace sw
