// Captures the add-in's user messages instead of showing message boxes.
#pragma once

#include "platform/user_message.h"

#include <string>
#include <vector>

namespace sw::test {

struct RecordedMessage {
    std::wstring text;
    std::wstring caption;
    MessageIcon icon;
};

// Installs itself as the message presenter for its lifetime.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<RecordedMessage>& messages() const;
    std::vector<std::wstring> texts() const;
    void clear();

private:
    MessagePresenter m_previous;
};

} // namespace sw::test
