#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace cvx {

// Run-time error codes, numbered as the modding community knows them from the tool's messages.
enum class ErrorCode : int {
    InvalidArgument = 5,      // e.g. a file name without "." where a model name is needed
    Overflow = 6,             // a count, length or offset leaves the signed 32-bit range
    OutOfMemory = 7,          // a section buffer could not be allocated
    SubscriptOutOfRange = 9,  // a negative count, which would give an inverted element range
    InternalError = 51,       // a fault of the program itself
    BadFileNumber = 52,       // a file number that is not open
    FileNotFound = 53,
    FileAlreadyOpen = 55,  // a file number that is open already
    DeviceIoError = 57,
    FileAlreadyExists = 58,   // also: files of the user's in the way of a run's output
    DiskFull = 61,            // no space left, or the file-size limit reached
    InputPastEndOfFile = 62,  // a file shorter than the bytes that must be read from it
    BadFileName = 64,         // a pattern ("*.p") where the name of a file belongs
    TooManyFiles = 67,
    PermissionDenied = 70,
    PathFileAccessError = 75,  // e.g. a directory where a file is expected
    PathNotFound = 76,
};

// Returns the number shown to the user for `code`.
constexpr int codeNumber(ErrorCode code) {
    return static_cast<int>(code);
}

// Returns what the user can do about an error of `code`, where the place that raised it knew no
// better: "free some space on the disk ... and try again".
const char* usualRemedy(ErrorCode code);

// The next step that a message advises: words, or a command of the command-line tool to run on a
// file and the words after it ("recount --new-index" on robot.asm, " to write it anew"), which
// the front ends word as they name the tool and quote the file.
struct Remedy {
    Remedy() = default;
    Remedy(std::string words) : text(std::move(words)) {}  // words are a remedy of their own
    Remedy(const char* words) : text(words) {}

    static Remedy run(std::string command, std::filesystem::path file, std::string then = {}) {
        Remedy remedy(std::move(then));
        remedy.command = std::move(command);
        remedy.file = std::move(file);
        return remedy;
    }
    bool empty() const { return text.empty() && command.empty(); }

    std::string text;     // the words; with a command, those after it
    std::string command;  // the command and its options; empty: none
    std::filesystem::path file;
};

// The one error type of the core: every failing step throws it, and the operation that ran the
// step catches it once, at its end, and reports its code, and the file, the cause and the next
// step in a line of its own.
class RunError : public std::runtime_error {
public:
    // `detail` is the cause ("the header's counts need 1140 bytes, the file has 100"), `file` the
    // file it is about, and `remedy` what the user can do, where the code's usual advice does not
    // fit; both may be left empty. The file stays a path until the message is shown; text is no
    // file here, so that no text is ever taken in another encoding than it was written in.
    RunError(ErrorCode code, const std::string& detail, std::filesystem::path file = {},
             Remedy remedy = {});
    RunError(ErrorCode, const std::string&, const std::string&, Remedy = {}) = delete;
    RunError(ErrorCode, const std::string&, const char*, Remedy = {}) = delete;

    ErrorCode code() const { return m_code; }
    // What failed, without the code and the file: "cannot open it: Permission denied".
    const std::string& detail() const { return m_detail; }
    const std::filesystem::path& file() const { return m_file; }
    const Remedy& remedy() const { return m_remedy; }

    // Returns this error about `file`, unless it names a file of its own already, and with
    // `remedy` as the next step when one is given.
    RunError about(const std::filesystem::path& file, const Remedy& remedy = {}) const;

private:
    ErrorCode m_code;
    std::string m_detail;
    std::filesystem::path m_file;
    Remedy m_remedy;
};

}  // namespace cvx
