#include "ErrorReport.h"

#include <exception>
#include <new>

namespace cvx {

std::string unknownErrorText(ErrorCode code) {
    return "An unkown Error has occured!\r\nError Code: " + std::to_string(codeNumber(code));
}

void reportError(UserInterface& ui, ErrorCode code, ErrorCode expected) {
    ui.ShowMessage(code == expected ? kFileDoesNotExist : unknownErrorText(code), kErrorTitle);
}

void handleOperationError(FileTable& files, UserInterface& ui, ErrorCode expected) {
    files.closeAll();
    ErrorCode code = ErrorCode::InternalError;
    try {
        throw;
    } catch (const RunError& error) {
        code = error.code();
    } catch (const std::bad_alloc&) {
        code = ErrorCode::OutOfMemory;
    } catch (const std::exception&) {
        code = ErrorCode::InternalError;
    }
    reportError(ui, code, expected);
}

}  // namespace cvx
