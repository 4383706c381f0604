#include "FakeUserInterface.h"

namespace cvx::test {

void FakeUserInterface::ShowMessage(const std::string& text, const std::string& title) {
    messages.push_back({text, title});
}

Answer FakeUserInterface::AskYesNo(const std::string& text, const std::string& title) {
    questions.push_back({text, title});
    if (m_answers.empty()) {
        unexpectedQuestions += m_always ? 0 : 1;
        return m_always.value_or(Answer::No);
    }
    const Answer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

void FakeUserInterface::SetButtonEnabled(Button button, bool enabled) {
    buttonChanges.emplace_back(button, enabled);
}

void FakeUserInterface::EndProgram() {
    programEnded = true;
    throw ProgramEnded{};
}

bool FakeUserInterface::isEnabled(Button button) const {
    for (auto it = buttonChanges.rbegin(); it != buttonChanges.rend(); ++it) {
        if (it->first == button) {
            return it->second;
        }
    }
    return true;
}

}  // namespace cvx::test
