#include "RunError.h"

#include <utility>

namespace cvx {

RunError::RunError(ErrorCode code, const std::string& detail, std::filesystem::path file,
                   std::string remedy)
    : std::runtime_error(std::to_string(codeNumber(code)) + ": " + detail),
      m_code(code),
      m_detail(detail),
      m_file(std::move(file)),
      m_remedy(std::move(remedy)) {}

RunError RunError::about(const std::filesystem::path& file, const std::string& remedy) const {
    return RunError(m_code, m_detail, m_file.empty() ? file : m_file,
                    remedy.empty() ? m_remedy : remedy);
}

}  // namespace cvx
