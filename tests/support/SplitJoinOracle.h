#pragma once

#include <span>
#include <string>

#include "ModelFiles.h"
#include "session/UserInterface.h"

namespace cvx::test {

// A user interface that writes down what the operations show, as the command-line tool prints it
// ("title: text" and a line feed; the detail lines and notes apart), and answers every question
// alike.
class FakeUserInterface final : public UserInterface {
public:
    explicit FakeUserInterface(Answer given = Answer::Yes) : answer(given) {}

    void ShowMessage(const Message& message) override {
        shown += message.title + ": " + message.text + "\n";
        details += message.detail + "\n";
    }
    void ShowNote(const std::string& text) override { notes += text + "\n"; }
    Answer AskYesNo(const std::string& text, const std::string& title) override {
        asked += title + ": " + text + "\n";
        return answer;
    }
    // "Replace robot.asm poly.bin?": the files by name, in the order asked; answered Yes, as
    // --force does.
    Answer AskToReplace(const ReplaceQuestion& question) override {
        asked += "Replace";
        for (const WorkInTheWay& file : question.files) {
            asked += " " + toText(file.file.filename());
        }
        asked += "?\n";
        return Answer::Yes;
    }
    // "-+": busy, then no longer.
    void SetBusy(bool busy) override { buttons += busy ? "-" : "+"; }

    std::string shown, details, notes, asked, buttons;
    bool ended = false;  // the join found a length that differs (JoinResult::LengthDiffers)
    Answer answer;       // to the question whether to check lengths
};

// What the error report shows for an error of `code` in an operation that expects `expected`,
// as FakeUserInterface writes it down.
std::string errorFor(int code, int expected);

// What split and join must do is worked out here on its own, from the bytes alone, and compared
// with what they did on the real file system, with file-system call `failAt` failing (0: none).
// Without a fault the outcome is exactly the one that the input calls for; with one, it is that
// outcome (for a fault that changes nothing: closing a file that was only read, making or entering
// an own folder) or else the fault's message, every file as before or as complete. Either way no
// file is left open or behind and the button is enabled again.
struct Verdict {
    std::string problems;  // empty when all is right
    std::uint64_t calls;   // of the file system, made by the operation
};

// Splits `model`, robot.p in the directory `dir` beside the files `older`, into its own folder or
// beside it (with `durable`, as --sync does): its one message and no file for a model the split
// must refuse, or else exactly its section files and index.
Verdict checkSplit(const fs::path& dir, const Bytes& model, const FileTree& older = {},
                   bool ownFolder = false, std::uint64_t failAt = 0, bool durable = false);

// Joins `set` (the index robot.asm, section files, perhaps an older out.p), in the directory
// `dir`, into out.p, answering the length question with `answer`: the one message that the first
// fault of the set calls for and out.p as it was, or the model that the files make.
Verdict checkJoin(const fs::path& dir, const FileTree& set, Answer answer, std::uint64_t failAt = 0,
                  bool durable = false);

// The files that a split of `model` (as robot.p) writes.
FileTree splitOf(const Bytes& model);

// A set packed as fuzzer input: for robot.asm, the ten section files in file order and out.p, a
// 16-bit little-endian length L and L bytes; L = 0xFFFF for an absent file. Files past the end
// are absent; a length past the end takes what is there.
FileTree unpackSet(std::span<const std::uint8_t> data);

}  // namespace cvx::test
