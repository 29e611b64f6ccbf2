// The one way the add-in shows a message to the user.
#pragma once

#include "platform/outcome.h"

#include <windows.h>

#include <string>

namespace sw {

// Icons the add-in's messages carry.
enum class MessageIcon : UINT {
    Warning = MB_ICONWARNING,
    Information = MB_ICONINFORMATION,
};

inline constexpr wchar_t kMessageCaption[] = L"Spamwarden";

// Shows `text` with an OK button. Production shows a message box owned by the
// active window; tests install a recorder instead.
void ShowUserMessage(const std::wstring& text, MessageIcon icon = MessageIcon::Warning,
                     const wchar_t* caption = kMessageCaption) noexcept;

// Shows the text of each failure of `outcome`, one message each; nothing when
// it is ok.
void ShowOutcome(const Outcome& outcome) noexcept;

using MessagePresenter = void (*)(const std::wstring& text, const std::wstring& caption,
                                  MessageIcon icon);
// Replaces the presenter; returns the previous one. nullptr restores the message box.
MessagePresenter SetMessagePresenter(MessagePresenter presenter) noexcept;

} // namespace sw
