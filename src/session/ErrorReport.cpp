#include "ErrorReport.h"

#include "files/PathText.h"

namespace cvx {

std::string wordsOf(const Remedy& remedy) {
    return remedy.command.empty() ? remedy.text
                                  : "run cindervaxel-cli " + remedy.command + " " +
                                        commandArgument(remedy.file) + remedy.text;
}

std::string detailLine(const std::filesystem::path& file, const std::string& cause,
                       const Remedy& remedy) {
    return (file.empty() ? "" : toText(file) + ": ") + cause + ": " + wordsOf(remedy);
}

std::string detailLine(const RunError& error) {
    return detailLine(error.file(), error.detail(),
                      error.remedy().empty() ? Remedy(usualRemedy(error.code())) : error.remedy());
}

std::string lineOf(const Problem& problem) {
    return problem.file + problem.cause + ": " + wordsOf(problem.remedy);
}

}  // namespace cvx
