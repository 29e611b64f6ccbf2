#include "tests/harness/message_recorder.h"

namespace sw::test {
namespace {

std::vector<RecordedMessage> g_recorded;

void Record(const std::wstring& text, const std::wstring& caption, MessageIcon icon) {
    g_recorded.push_back({text, caption, icon});
}

} // namespace

MessageRecorder::MessageRecorder() : m_previous(SetMessagePresenter(&Record)) {
    g_recorded.clear();
}

MessageRecorder::~MessageRecorder() {
    SetMessagePresenter(m_previous);
    g_recorded.clear();
}

const std::vector<RecordedMessage>& MessageRecorder::messages() const {
    return g_recorded;
}

std::vector<std::wstring> MessageRecorder::texts() const {
    std::vector<std::wstring> texts;
    for (const RecordedMessage& m : g_recorded)
        texts.push_back(m.text);
    return texts;
}

void MessageRecorder::clear() {
    g_recorded.clear();
}

} // namespace sw::test
