#include "macro/MacroDescription.h"

#include "MacroTestSupport.h"

#include <gtest/gtest.h>

namespace vanto {
namespace {

TEST(MacroDescriptionTest, StepsReadAsWords) {
    EXPECT_EQ(DescribeMacroStep(MouseButtonStep(1, true)), "left button down");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{STEP_MOUSE_BUTTON, 1, 0x40, 9}),
              "mouse button 9 (bit 0x40) down");
    EXPECT_EQ(DescribeMacroStep(WheelStep(true)), "wheel up 1");
    EXPECT_EQ(DescribeMacroStep(WheelStep(false)), "wheel down 1");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{STEP_WHEEL, 0, 1, 7}), "wheel index 7 value 1");
    EXPECT_EQ(DescribeMacroStep(KeyStep(0x41, false, false)), "key A up");
    // The extended flag picks the row of the extended-key table.
    EXPECT_EQ(DescribeMacroStep(KeyStep(0x2D, true, true)), "key INS down");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{STEP_KEY, 3, 0x41, 0}), "key A state 3");
    EXPECT_EQ(DescribeMacroStep(MediaKeyStep(0x00E9, true)), "media key 0x00E9 down");
    EXPECT_EQ(DescribeMacroStep(DelayStep(200)), "delay 200 ms");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{STEP_LOOP, 0, 3, 1}), "loop 259");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{STEP_MOUSE_MOVE, 0, 12, 34}), "pointer x 12 y 34");
    EXPECT_EQ(DescribeMacroStep(TMACROKEY{9, 2, 1, 255}),
              "unknown step type 9 state 2 bytes 0x01 0xFF");
}

TEST(MacroDescriptionTest, MacroShowsEscapedNameCountersAndSteps) {
    TMACROKEYINFO Macro = test::MacroOf(u"Fe\u00FCr\\1", {MouseButtonStep(1, true), DelayStep(10)});
    Macro.Version = MACRO_FORMAT_VERSION;
    Macro.ErrorCount = 1;
    Macro.HaveErrors = 1;
    EXPECT_EQ(DescribeMacro(Macro), "name: Fe\\u00FCr\\\\1\n"
                                    "steps: 2\n"
                                    "loop count: 0\n"
                                    "auto add delay: 0\n"
                                    "macro index: 0\n"
                                    "macro use: 0\n"
                                    "version: 259 (valid)\n"
                                    "have errors: 1\n"
                                    "error count: 1\n"
                                    "total delay: 10 ms\n"
                                    "0: left button down\n"
                                    "1: delay 10 ms\n");
}

TEST(MacroDescriptionTest, DamagedRecordStaysInsideItsBounds) {
    TMACROKEYINFO Macro{};
    std::fill(std::begin(Macro.szMacroName), std::end(Macro.szMacroName), u'x');
    Macro.MacroListCount = 5000;
    const std::string Text = DescribeMacro(Macro);
    EXPECT_NE(Text.find("name: " + std::string(50, 'x') + "\n"), std::string::npos);
    EXPECT_NE(Text.find("steps: 5000 (outside 0..128, showing 128)\n"), std::string::npos);
    EXPECT_NE(Text.find("\n127: "), std::string::npos);
    EXPECT_EQ(Text.find("\n128: "), std::string::npos);

    Macro.MacroListCount = -1;
    EXPECT_EQ(DescribeMacro(Macro).find("\n0: "), std::string::npos);
}

} // namespace
} // namespace vanto
