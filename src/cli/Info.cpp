#include "Command.h"
#include "JsonText.h"
#include "TextOut.h"
#include "convert/DisassembleModel.h"
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

}  // namespace

ExitStatus runInfo(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    std::optional<ModelSummary> summary;
    try {
        summary = inspectModel(workspace, call.operands[0]);
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
