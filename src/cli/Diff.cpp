#include "CliUserInterface.h"
#include "Command.h"
#include "JsonText.h"
#include "TextOut.h"
#include "convert/ModelDiff.h"
#include "files/PathText.h"
#include "session/ErrorReport.h"

namespace cvx {
namespace {

// What a side that is a set leaves out, as a join leaves it out: a note for each section file with
// bytes past the length that header.bin's counts give.
std::vector<std::string> notesOf(const ModelDiff& diff) {
    std::vector<std::string> notes;
    for (const JoinedSet::LeftOut& file : diff.leftOut()) {
        notes.push_back(leftOutNote(file));
    }
    return notes;
}

// Runs as "[first, last], ..." in JSON.
Json runsJson(const std::vector<ModelDiff::Run>& runs) {
    Json list = Json::array();
    for (const auto& [first, second] : runs) {
        list.push_back({first, second});
    }
    return list;
}

// Runs of positions as people read them, `noun` "element": "element 0 changed", "elements 4-7
// changed", "elements 0, 4-7 and 9 changed"; the verb `one` for a single position, else `many`.
std::string positionsText(const std::vector<ModelDiff::Run>& runs, const std::string& noun,
                          const std::string& one, const std::string& many) {
    std::string list;
    for (const auto& [first, last] : runs) {
        list += (list.empty()                   ? ""
                 : &first == &runs.back().first ? " and "
                                                : ", ") +
                std::to_string(first) + (last > first ? "-" + std::to_string(last) : "");
    }
    const bool single = runs.size() == 1 && runs[0].first == runs[0].second;
    return noun + (single ? " " : "s ") + list + " " + (single ? one : many);
}

// A run of elements that one side has more of: "1 element inserted at 12".
std::string surplusText(const ModelDiff::Run& run, const std::string& happened) {
    const auto [at, count] = run;
    return std::to_string(count) + (count == 1 ? " element " : " elements ") + happened + " at " +
           std::to_string(at);
}

// The names that diff prints for A and B: the labels given, and the paths as given for the sides
// without one.
std::vector<std::string> namesOf(const Invocation& call) {
    std::vector<std::string> names = call.valuesOf("--label");
    names.insert(names.end(), call.given.begin() + std::ssize(names), call.given.end());
    return names;
}

Json diffJson(const ModelDiff& diff, const std::vector<std::string>& names) {
    Json counts = Json::array(), sections = Json::array();
    for (const ModelDiff::Count& count : diff.counts()) {
        counts.push_back({{"name", count.name}, {"a", count.a}, {"b", count.b}});
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        sections.push_back({{"file", sectionInfo(section.section).fileName},
                            {"elementSize", section.elementSize},
                            {"lengthA", section.lengthA},
                            {"lengthB", section.lengthB},
                            {"changed", runsJson(section.changed)},
                            {"inserted", runsJson(section.inserted)},
                            {"removed", runsJson(section.removed)}});
    }
    const ModelDiff::Unowned& unowned = diff.unowned();
    return {{"a", names[0]},
            {"b", names[1]},
            {"same", diff.same()},
            {"counts", counts},
            {"header", runsJson(diff.headerBytes())},
            {"sections", sections},
            {"unowned",
             {{"a", {{"offset", unowned.offsetA}, {"length", unowned.lengthA}}},
              {"b", {{"offset", unowned.offsetB}, {"length", unowned.lengthB}}},
              {"differ", unowned.differ}}},
            {"notes", notesOf(diff)}};
}

// The differences for people, one line each, and a closing line.
void printDiff(const ModelDiff& diff, const std::vector<std::string>& names, std::FILE* out) {
    const std::string& a = names[0];
    const std::string& b = names[1];
    std::vector<std::string> parts;  // for the closing line
    for (const ModelDiff::Count& count : diff.counts()) {
        writeText(out, format("%s %d -> %d\n", std::string(count.name).c_str(), count.a, count.b));
    }
    if (!diff.counts().empty()) {
        parts.push_back(std::to_string(diff.counts().size()) +
                        (diff.counts().size() > 1 ? " counts" : " count"));
    }
    if (!diff.headerBytes().empty()) {
        writeText(out, "header.bin " +
                           positionsText(diff.headerBytes(), "byte", "differs", "differ") + "\n");
        parts.push_back("the header's other bytes");
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        std::string text;
        auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
        if (!section.changed.empty()) {
            add(positionsText(section.changed, "element", "changed", "changed"));
        }
        for (const ModelDiff::Run& run : section.inserted) {
            add(surplusText(run, "inserted"));
        }
        for (const ModelDiff::Run& run : section.removed) {
            add(surplusText(run, "removed"));
        }
        writeText(out, format("%s (%d-byte elements): %s\n",
                              std::string(sectionInfo(section.section).fileName).c_str(),
                              section.elementSize, text.c_str()));
    }
    if (!diff.sections().empty()) {
        parts.push_back(std::to_string(diff.sections().size()) +
                        (diff.sections().size() > 1 ? " section files" : " section file"));
    }
    const ModelDiff::Unowned& unowned = diff.unowned();
    if (unowned.differ) {
        auto side = [](std::int32_t length, std::int32_t offset, const std::string& name) {
            return length > 0 ? std::to_string(length) + " at offset " + std::to_string(offset) +
                                    " in " + name
                              : "none in " + name;
        };
        writeText(out, "unowned bytes: " + side(unowned.lengthA, unowned.offsetA, a) + ", " +
                           side(unowned.lengthB, unowned.offsetB, b) +
                           (unowned.lengthA == unowned.lengthB ? ": their bytes differ\n" : "\n"));
        parts.push_back("the unowned bytes");
    }
    std::string closing;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        closing += (i == 0 ? " " : i + 1 < parts.size() ? ", " : " and ") + parts[i];
    }
    writeText(out, a + " and " + b + " " +
                       (diff.same() ? "give the same model" : "differ in" + closing) + ".\n");
}

}  // namespace

ExitStatus runDiff(const Invocation& call) {
    std::optional<ModelDiff> diff;
    try {
        diff = ModelDiff::compare(nativeFileSystem(), call.operands[0], call.operands[1]);
    } catch (const RunError& error) {
        failed(call, error);
        return kExitTrouble;
    }
    CliUserInterface ui(call.err);
    for (const std::string& note : notesOf(*diff)) {
        ui.ShowNote(note);
    }
    if (call.has("--json")) {
        writeText(call.out, dump(diffJson(*diff, namesOf(call))) + "\n");
    } else {
        printDiff(*diff, namesOf(call), call.out);
    }
    return diff->same() ? kExitSame : kExitDifferent;
}

}  // namespace cvx
