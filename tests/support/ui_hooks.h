#pragma once

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/message_box.h"

namespace testsupport {

// Answers every message box while it lives: records the texts, returns scripted answers
// (IDOK, or IDYES for a question, when nothing is scripted).
class MessageBoxRecorder final {
public:
    MessageBoxRecorder() {
        ui::SetMessageBoxHook([this](const ui::MessageBoxCall& call) {
            m_texts.push_back(call.text);
            if (!m_answers.empty()) {
                const int a = m_answers.front();
                m_answers.pop_front();
                return a;
            }
            return (call.type & 0xF) == ui::MB_YESNO ? ui::IDYES : ui::IDOK;
        });
    }
    ~MessageBoxRecorder() { ui::SetMessageBoxHook(nullptr); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Answer(int id) { m_answers.push_back(id); }
    const std::vector<std::string>& Texts() const { return m_texts; }
    void Clear() { m_texts.clear(); }

private:
    std::vector<std::string> m_texts;
    std::deque<int> m_answers;
};

// Answers every modal dialog with `hook` while it lives; the dialogs open for real again
// afterwards, however the test leaves the scope.
class ModalHookScope final {
public:
    explicit ModalHookScope(ui::ModalHook hook) { ui::SetModalHook(std::move(hook)); }
    ~ModalHookScope() { ui::SetModalHook(nullptr); }
    ModalHookScope(const ModalHookScope&) = delete;
    ModalHookScope& operator=(const ModalHookScope&) = delete;
};

// A test that ends a bar leaves the program "ending" (boxes answered at once, no dialog
// opens); the next test starts from a running program again.
class EndingReset final : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo&) override { ui::ResetEnding(); }
    static void Install() {
        ::testing::UnitTest::GetInstance()->listeners().Append(new EndingReset);
    }
};

} // namespace testsupport
