#pragma once

#include <filesystem>
#include <string>

#include "formats/RunError.h"

namespace cvx {

// How a front end names what the user does, for the next steps that messages advise: the command
// line's commands and options, or the window's buttons and settings.
struct Wording {
    const char* join;              // "a set is joined with ..."
    const char* splitIt;           // "... first, and give the index file (.asm) that it writes"
    const char* withoutOwnFolder;  // "rename the model, or ..."
    const char* chooseFile;        // what to do instead of typing a pattern
    const char* swapped;           // what to do when the index and the model to write are swapped
};

inline constexpr Wording kCommandLineWording{
    "join", "split it", "split it without --own-folder", "give the name of one file",
    "give the index file (.asm) first and the model file (.p) to write second"};

// Why a plan was refused or a run ended early, for the front end to tell.
struct Failure {
    enum class Kind {
        Error,           // the error says it all
        SectionMissing,  // a section file that the index lists is not there
        LengthDiffers,   // a section file is not as long as the index records
    };
    Kind kind = Kind::Error;
    RunError error;
    ErrorCode expected = ErrorCode::FileNotFound;  // the one code that the operation expects
    std::string section;  // the section file's bare name, for the kinds after Error
};

// Returns the failure of the exception being handled; call it only inside a catch block. A
// RunError as it is, a failed allocation as code 7, any other standard exception as code 51.
Failure currentFailure(ErrorCode expected);

// A file that a run would replace although it holds something else than the run would write,
// and why it seems to be work of the user's.
struct WorkInTheWay {
    std::filesystem::path file;
    // A split's: "edited: it differs from robot.p's section"; a join's, what the file is:
    // "another model: its header is not robot's".
    std::string why;
};

}  // namespace cvx
