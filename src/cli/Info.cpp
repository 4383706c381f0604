#include "Command.h"
#include "JsonText.h"
#include "TextOut.h"
#include "convert/DisassembleModel.h"
#include "convert/GivenFile.h"
#include "convert/PatchFile.h"
#include "convert/PatchInfo.h"
#include "files/PathText.h"

namespace cvx {
namespace {

Json countsOf(const ModelHeader& header) {
    Json counts = {{"ModelType", header.ModelType()}};
    for (const CountWord& word : kCountTable) {
        counts[std::string(word.name)] = header.count(word.count);
    }
    return counts;
}

Json summaryJson(const ModelSummary& summary) {
    const ModelLayout& layout = summary.layout;
    Json sections = Json::array();
    for (const SectionInfo& info : sectionTable()) {
        const bool present = !info.optional || layout.hasValue3();
        const SectionExtent extent = layout[info.section];
        sections.push_back({{"file", info.fileName},
                            {"present", present},
                            {"offset", present ? Json(extent.offset) : Json()},
                            {"length", extent.length}});
    }
    Json unowned = {{"count", layout.unownedBytes()}};
    if (layout.unownedBytes() > 0) {
        unowned["first"] = layout.frontEnd();
        unowned["last"] = layout.frontEnd() + layout.unownedBytes() - 1;
    }
    return {{"model", toText(summary.path)},
            {"counts", countsOf(summary.header)},
            {"sections", sections},
            {"fileLength", layout.fileLength()},
            {"modelLength", layout.modelLength()},
            {"unownedBytes", unowned},
            {"index", toText(summary.indexFileName)}};
}

// The summary as a table for people.
void printSummary(const Json& summary, std::FILE* out) {
    auto text = [](const Json& value) { return value.get<std::string>(); };
    writeText(out, format("%-14s %s\n", "Model file", text(summary["model"]).c_str()));
    for (const auto& [name, value] : summary["counts"].items()) {
        writeText(out, format("%-14s %s\n", name.c_str(), value.dump().c_str()));
    }
    writeText(out, format("\n%-16s %12s %12s\n", "Section file", "Offset", "Length"));
    for (const Json& section : summary["sections"]) {
        const bool present = section["present"];
        writeText(out, format("%-16s %12s %12s\n", text(section["file"]).c_str(),
                              present ? section["offset"].dump().c_str() : "-",
                              present ? section["length"].dump().c_str() : "absent"));
    }
    writeText(out, format("\n%-16s %12s\n", "FileLength", summary["fileLength"].dump().c_str()));
    writeText(out, format("%-16s %12s\n", "ModelLength", summary["modelLength"].dump().c_str()));
    const Json& unowned = summary["unownedBytes"];
    writeText(out, format("%-16s %12s", "Unowned bytes", unowned["count"].dump().c_str()));
    if (unowned.contains("first")) {
        writeText(out, format("   (offsets %s to %s)", unowned["first"].dump().c_str(),
                              unowned["last"].dump().c_str()));
    }
    writeText(out, format("\n%-16s %s\n", "Index file", text(summary["index"]).c_str()));
}

Json patchJson(const PatchInfo& info, const std::string& file) {
    Json counts = Json::array();
    for (const PatchInfo::CountChange& change : info.counts) {
        counts.push_back(
            {{"name", change.name}, {"before", change.before}, {"after", change.after}});
    }
    Json header = Json::array();
    for (const PatchInfo::HeaderBytes& bytes : info.header) {
        header.push_back({bytes.first, bytes.last});
    }
    Json sections = Json::array();
    for (const PatchInfo::SectionRuns& section : info.sections) {
        Json runs = Json::array();
        for (const PatchInfo::Run& run : section.runs) {
            runs.push_back(
                {{"position", run.position}, {"removed", run.removed}, {"inserted", run.inserted}});
        }
        sections.push_back({{"file", section.file},
                            {"elementSize", section.elementSize},
                            {"elementsBefore", section.elementsBefore},
                            {"elementsAfter", section.elementsAfter},
                            {"runs", runs}});
    }
    return {{"patch", file},
            {"original", {{"length", info.originalLength}, {"hash", info.originalHash}}},
            {"result", {{"length", info.resultLength}, {"hash", info.resultHash}}},
            {"counts", counts},
            {"header", header},
            {"unowned", info.unowned ? Json{{"before", info.unowned->lengthBefore},
                                            {"after", info.unowned->lengthAfter}}
                                     : Json()},
            {"sections", sections}};
}

// "element 4", "elements 4-7"
std::string elements(std::int64_t first, std::int64_t count) {
    return count == 1
               ? "element " + std::to_string(first)
               : "elements " + std::to_string(first) + "-" + std::to_string(first + count - 1);
}

// What a run does, in the original's numbering: "elements 4-7 changed", "2 elements inserted at
// 12", "element 3 removed", "elements 3-4 replaced by 1".
std::string runText(const PatchInfo::Run& run) {
    if (run.removed == run.inserted) {
        return elements(run.position, run.removed) + " changed";
    }
    if (run.removed == 0) {
        return std::to_string(run.inserted) + (run.inserted == 1 ? " element" : " elements") +
               " inserted at " + std::to_string(run.position);
    }
    return elements(run.position, run.removed) +
           (run.inserted == 0 ? " removed" : " replaced by " + std::to_string(run.inserted));
}

// The patch for people: what it was made from, what it gives, and what it changes.
void printPatch(const PatchInfo& info, const std::string& file, std::FILE* out) {
    writeText(out, format("%-14s %s\n", "Patch file", file.c_str()));
    writeText(out, format("%-14s a model of %d bytes, XXH3-128 %s\n", "Made from",
                          info.originalLength, info.originalHash.c_str()));
    writeText(out, format("%-14s a model of %d bytes, XXH3-128 %s\n", "Gives", info.resultLength,
                          info.resultHash.c_str()));
    for (const PatchInfo::CountChange& change : info.counts) {
        writeText(out, format("%s %d -> %d\n", std::string(change.name).c_str(), change.before,
                              change.after));
    }
    for (const PatchInfo::HeaderBytes& bytes : info.header) {
        writeText(out, bytes.first == bytes.last
                           ? format("header.bin byte %d changed\n", bytes.first)
                           : format("header.bin bytes %d-%d changed\n", bytes.first, bytes.last));
    }
    for (const PatchInfo::SectionRuns& section : info.sections) {
        std::string runs;
        for (const PatchInfo::Run& run : section.runs) {
            runs += (runs.empty() ? "" : "; ") + runText(run);
        }
        writeText(out, format("%s: %s\n", std::string(section.file).c_str(), runs.c_str()));
    }
    if (info.unowned) {
        writeText(out, format("bytes in no section changed: %d -> %d bytes\n",
                              info.unowned->lengthBefore, info.unowned->lengthAfter));
    }
}

// info PATCH
ExitStatus patchInfo(const Invocation& call) {
    std::optional<PatchInfo> info;
    try {
        info = PatchInfo::of(readPatchFile(nativeFileSystem(), call.operands[0]));
    } catch (const RunError& error) {
        return failed(call, error);
    }
    const std::string file = toText(call.operands[0]);
    if (call.has("--json")) {
        writeText(call.out, format("%s\n", dump(patchJson(*info, file)).c_str()));
    } else {
        printPatch(*info, file, call.out);
    }
    return kExitOk;
}

}  // namespace

ExitStatus runInfo(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    std::optional<ModelSummary> summary;
    try {
        FileSystem& fileSystem = workspace.fileSystem;
        const std::filesystem::path& given = call.operands[0];
        if (GivenFile::at(fileSystem, resolveAgainstCurrentDirectory(fileSystem, given), given)
                .isPatch()) {
            return patchInfo(call);
        }
        summary = inspectModel(workspace, given);
    } catch (const RunError& error) {
        return failed(call, error);
    }
    const Json document = summaryJson(*summary);
    if (call.has("--json")) {
        writeText(call.out, format("%s\n", dump(document).c_str()));
    } else {
        printSummary(document, call.out);
    }
    return kExitOk;
}

}  // namespace cvx
