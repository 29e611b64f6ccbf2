// The one way the add-in shows a message to the user.
#pragma once

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

// How many messages ShowUserMessage has shown in this process; a command
// compares it before and after to show at most one.
unsigned long ShownMessageCount() noexcept;

using MessagePresenter = void (*)(const std::wstring& text, const std::wstring& caption,
                                  MessageIcon icon);
// Replaces the presenter; returns the previous one. nullptr restores the message box.
MessagePresenter SetMessagePresenter(MessagePresenter presenter) noexcept;

} // namespace sw
