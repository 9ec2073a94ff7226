#include "Scenario.h"

#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace vanto::simrun {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

TScenario Parse(const std::string& AText) {
    std::istringstream In(AText);
    return ParseScenario(In);
}

std::vector<std::string> ErrorTexts(const TScenario& AScenario) {
    std::vector<std::string> Texts;
    for (const TScenarioError& Error : AScenario.FErrors) {
        Texts.push_back(FormatError("scenario", Error));
    }
    return Texts;
}

TEST(ScenarioTest, CommentsBlankLinesAndSpacingAreSkippedButLinesKeepTheirNumbers) {
    const TScenario Scenario = Parse("# start\n\n   wait   3000   # settle\r\n\tpress 7\n");
    EXPECT_TRUE(Scenario.FErrors.empty());
    ASSERT_EQ(Scenario.FCommands.size(), 2u);
    EXPECT_EQ(Scenario.FCommands[0].FLine, 3u);
    EXPECT_EQ(Scenario.FCommands[0].FText, "wait 3000");
    EXPECT_EQ(Scenario.FCommands[0].FArg0, 3000);
    EXPECT_EQ(Scenario.FCommands[1].FKind, TCommandKind::Press);
    EXPECT_EQ(Scenario.FCommands[1].FLine, 4u);
}

TEST(ScenarioTest, MessagesAreTakenByNameOrNumberWithSignedLParam) {
    const TScenario Scenario = Parse("cfg-send WM_CFG_PROFILE_CHANGED 0 1\n"
                                     "cfg-send 0x1B7D 0 -1\n"
                                     "cfg-send 7040 1 0\n");
    ASSERT_TRUE(Scenario.FErrors.empty());
    ASSERT_EQ(Scenario.FCommands.size(), 3u);
    EXPECT_EQ(Scenario.FCommands[0].FArg0, WM_CFG_PROFILE_CHANGED);
    EXPECT_EQ(Scenario.FCommands[0].FArg2, 1);
    EXPECT_EQ(Scenario.FCommands[1].FArg0, WM_CFG_SETTINGS_CHANGED);
    EXPECT_EQ(Scenario.FCommands[1].FArg2, -1);
    EXPECT_EQ(Scenario.FCommands[2].FArg0, WM_PROFILE_SWITCH);
    EXPECT_EQ(Scenario.FCommands[2].FArg1, 1);
}

TEST(ScenarioTest, WordArgumentsAreChosenWithoutRegardToCase) {
    const TScenario Scenario =
        Parse("menu exit\nmenu About\nclick Forward\nwheel down\ndump REGISTRY\n");
    ASSERT_TRUE(Scenario.FErrors.empty());
    EXPECT_EQ(Scenario.FCommands[0].FArg0, static_cast<int>(TMenuChoice::Exit));
    EXPECT_EQ(Scenario.FCommands[1].FArg0, static_cast<int>(TMenuChoice::About));
    EXPECT_EQ(Scenario.FCommands[2].FArg0, static_cast<int>(TMouseButton::Forward));
    EXPECT_EQ(Scenario.FCommands[3].FArg0, -1);
    EXPECT_EQ(Scenario.FCommands[4].FArg0, static_cast<int>(TDumpKind::Registry));
}

TEST(ScenarioTest, EveryBadLineIsReportedWithItsNumber) {
    const TScenario Scenario = Parse("wait 10\n"
                                     "prss 7\n"
                                     "press 24\n"
                                     "profile 2\n"
                                     "wait\n"
                                     "wait -5\n"
                                     "menu Quit\n"
                                     "cfg-send WM_NOTHING 0 0\n"
                                     "set-language 256\n"
                                     "press 7 8\n"
                                     "wait 12ms\n");
    EXPECT_THAT(
        ErrorTexts(Scenario),
        ElementsAre("scenario:2: unknown command 'prss'",
                    "scenario:3: press: the key index must be 0..23, got '24'",
                    "scenario:4: profile: the profile must be 0..1, got '2'",
                    HasSubstr("scenario:5: wait: expected 1 argument(s), got 0"),
                    HasSubstr("scenario:6: wait: the time in ms must be 0.."),
                    "scenario:7: menu: expected one of config, about, exit, got 'Quit'",
                    HasSubstr("scenario:8: cfg-send: unknown message 'WM_NOTHING'"),
                    "scenario:9: set-language: the language index must be 0..255, got '256'",
                    HasSubstr("scenario:10: press: expected 1 argument(s), got 2"),
                    HasSubstr("scenario:11: wait: the time in ms must be")));
    EXPECT_EQ(Scenario.FCommands.size(), 1u);
}

} // namespace
} // namespace vanto::simrun
