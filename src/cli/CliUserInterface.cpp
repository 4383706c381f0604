#include "CliUserInterface.h"

#include <cstdlib>

namespace cvx {

void CliUserInterface::ShowMessage(const std::string& text, const std::string& title,
                                   const std::string& detail) {
    m_messageShown = true;
    std::string line = m_prefix + title + ": ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            line += '\n';
            ++i;
        } else {
            line += text[i];
        }
    }
    line += '\n';
    if (!detail.empty()) {
        line += detail + '\n';
    }
    std::fwrite(line.data(), 1, line.size(), m_errors);
    std::fflush(m_errors);
}

void CliUserInterface::ShowNote(const std::string& text) {
    std::fprintf(m_errors, "%sNote: %s\n", m_prefix.c_str(), text.c_str());
    std::fflush(m_errors);
}

Answer CliUserInterface::AskYesNo(const std::string&, const std::string&) {
    return m_answer;
}

void CliUserInterface::EndProgram() {
    std::fflush(nullptr);
    std::exit(kExitEnded);
}

}  // namespace cvx
