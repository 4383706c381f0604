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

std::string leftOutNote(const JoinedSet::LeftOut& file) {
    return toText(file.file) + " is " + std::to_string(file.size) +
           " bytes; header.bin's counts give " + std::to_string(file.used) +
           ", and the rest is left out, as a join leaves it out: " +
           wordsOf(Remedy::run("check", file.index, " to see what to do"));
}

std::string lineOf(const Problem& problem) {
    return problem.file + problem.cause + ": " + wordsOf(problem.remedy);
}

}  // namespace cvx
