#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/ErrorReport.h"
#include "convert/Workspace.h"
#include "support/FakeUserInterface.h"
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

namespace cvx::test {

// A temporary directory, the program's workspace on the real file system, and a recording user
// interface, as the operations meet them in the program.
class OperationTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(ui.unexpectedQuestions, 0); }

    void split(const std::string& source, bool ownFolder = false) {
        DisassembleModel(workspace, ui, source, ownFolder);
    }

    // Joins, answering the length question with `answer`. Returns false when the program ended.
    bool join(const std::string& index, const std::string& destination, Answer answer) {
        ui.answer(answer);
        try {
            AssembleModel(workspace, ui, index, destination);
        } catch (const ProgramEnded&) {
            return false;
        }
        EXPECT_EQ(ui.unexpectedQuestions, 0);
        return true;
    }

    // Writes the model for `counts` as `name` in the temporary directory and returns its bytes.
    Bytes putModel(const std::string& name, const Counts& counts, std::int32_t unowned = 0) {
        Bytes model = makeModel(counts, unowned);
        writeFile(dir / name, model);
        return model;
    }

    // The one message shown, with nothing before or after it.
    void expectOnlyMessage(const std::string& text, const std::string& title) {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, text);
        EXPECT_EQ(ui.messages[0].title, title);
    }

    TempDir dir;
    Workspace workspace{nativeFileSystem()};
    FakeUserInterface ui;
};

}  // namespace cvx::test
