#include <gtest/gtest.h>

#include <set>

#include "FaultCampaign.h"
#include "FileTree.h"

namespace cvx::test {

// Names the scenario in test output, where GoogleTest would print its bytes.
void PrintTo(const FaultScenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

namespace {

class FaultInjectionTest : public testing::TestWithParam<FaultScenario> {};

// Every call that can fail is failed once, in its own run; nothing may be lost in any of them.
TEST_P(FaultInjectionTest, EveryFailingCallLeavesFilesAsBeforeOrComplete) {
    const FaultScenario& scenario = GetParam();
    TempDir scratch("cvx-faults");
    const FaultTally tally = runFaultCampaign(scenario, scratch.path());
    for (const std::string& loss : tally.losses) {
        ADD_FAILURE() << loss;
    }
    EXPECT_GT(tally.callsOfCleanRun, 20u);
    EXPECT_EQ(tally.faults, tally.callsOfCleanRun) << "every call must have been failed once";
    EXPECT_EQ(tally.reported + tally.tolerated, tally.faults);

    // The kinds of call that every run of this operation makes were all failed at least once.
    std::set<FileCall> expected = {
        FileCall::OpenRead,  FileCall::Size,   FileCall::Read,
        FileCall::CreateNew, FileCall::Write,  FileCall::Flush,
        FileCall::Close,     FileCall::Rename, FileCall::ChangeDirectory};
    if (scenario.outputsExist) {
        expected.insert(FileCall::CheckWritable);
    }
    if (scenario.ownFolder) {
        expected.insert({FileCall::CurrentDirectory, FileCall::CreateDirectory});
    }
    for (const FileCall call : expected) {
        EXPECT_GT(tally.faultsByCall[static_cast<std::size_t>(call)], 0u) << fileCallName(call);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultInjectionTest, testing::ValuesIn(standardFaultScenarios()),
                         [](const testing::TestParamInfo<FaultScenario>& param) {
                             std::string name;
                             for (const char c : param.param.name) {
                                 if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

}  // namespace
}  // namespace cvx::test
