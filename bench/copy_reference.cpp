// The floor for the benchmark: the bytes that a split or a join moves, at the same offsets, copied
// inside the kernel (copy_file_range), with no checks, no temporary files and no renames.
//
//   copy-reference split MODEL FOLDER    the index record and each section of MODEL into FOLDER
//   copy-reference join FOLDER MODEL     the section files in FOLDER, in file order, into MODEL
//
// Only the model's header (or header.bin) is read to know where the sections lie. Linux only.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/ModelLayout.h"
#include "formats/SectionIndex.h"

namespace {

int fail(const std::string& what) {
    std::perror(what.c_str());
    return 1;
}

// Copies `length` bytes from `in` at `from` to `out` at `to`; false when the kernel fails.
bool copy(int in, off_t from, int out, off_t to, off_t length) {
    while (length > 0) {
        const ssize_t done =
            ::copy_file_range(in, &from, out, &to, static_cast<std::size_t>(length), 0);
        if (done <= 0) {
            return false;
        }
        length -= done;
    }
    return true;
}

cvx::ModelHeader headerOf(int fd) {
    cvx::ModelHeader::Bytes bytes{};
    if (::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::exit(fail("header"));
    }
    return cvx::ModelHeader(bytes);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 4 ? argv[1] : "";
    if (command != "split" && command != "join") {
        std::fprintf(stderr, "usage: copy-reference split MODEL FOLDER | join FOLDER MODEL\n");
        return 2;
    }
    const bool split = command == "split";
    const std::string folder = argv[split ? 3 : 2] + std::string("/");
    const std::string model = argv[split ? 2 : 3];
    const int modelFd = split ? ::open(model.c_str(), O_RDONLY)
                              : ::open(model.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int headerFd = split ? modelFd : ::open((folder + "header.bin").c_str(), O_RDONLY);
    if (modelFd < 0 || headerFd < 0) {
        return fail(model);
    }
    const cvx::ModelHeader header = headerOf(headerFd);
    const cvx::ModelLayout layout =
        split ? cvx::ModelLayout::compute(header,
                                          static_cast<std::int32_t>(::lseek(modelFd, 0, SEEK_END)))
              : cvx::ModelLayout();
    off_t at = 0;  // where the next section goes in a joined model
    for (const cvx::SectionInfo& info : cvx::sectionTable()) {
        if (info.optional && header.NumValue3() <= 0) {
            continue;
        }
        const std::string file = folder + std::string(info.fileName);
        const int fd = split ? ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666)
                             : ::open(file.c_str(), O_RDONLY);
        const off_t length = split ? layout[info.section].length : ::lseek(fd, 0, SEEK_END);
        if (fd < 0 ||
            !(split ? copy(modelFd, layout[info.section].offset, fd, 0, length)
                    : copy(fd, 0, modelFd, at, length)) ||
            ::close(fd) != 0) {
            return fail(file);
        }
        at += length;
    }
    if (split) {
        cvx::SectionIndex index;
        index.fillFromHeader(header);
        const auto record = index.encode();
        const std::string name = folder + "reference.asm";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || ::write(fd, record.data(), record.size()) != 64 || ::close(fd) != 0) {
            return fail(name);
        }
    }
    return ::close(modelFd) == 0 ? 0 : fail(model);
}
