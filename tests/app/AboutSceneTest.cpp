#include "app/AboutScene.h"

#include "i18n/Translate.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimSceneWindows.h"
#include "platform/sim/SimWindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace vanto {
namespace {

using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TSceneRect;

const TAboutTexts Texts{u"硬件与软件信息：", u"Hardware Core:9.87.65", u"软件版本：1.00.00",
                        u"确定"};

bool Inside(const TSceneRect& AInner, const TSceneRect& AOuter) {
    return AInner.X >= AOuter.X && AInner.Y >= AOuter.Y &&
           AInner.X + AInner.Width <= AOuter.X + AOuter.Width &&
           AInner.Y + AInner.Height <= AOuter.Y + AOuter.Height;
}

std::vector<TSceneItem> TextItems(const platform::TScene& AScene) {
    std::vector<TSceneItem> Result;
    std::copy_if(AScene.Items.begin(), AScene.Items.end(), std::back_inserter(Result),
                 [](const TSceneItem& AItem) { return AItem.FKind == TSceneItemKind::Text; });
    return Result;
}

TEST(AboutSceneTest, PictureFillsTheWholeWindowBehindEverythingElse) {
    const platform::TScene Scene = BuildAboutScene(Texts);
    EXPECT_EQ(Scene.Width, 504);
    EXPECT_EQ(Scene.Height, 335);
    ASSERT_FALSE(Scene.Items.empty());
    const TSceneItem& Back = Scene.Items.front();
    EXPECT_EQ(Back.FBounds, (TSceneRect{0, 0, 504, 335}));
    EXPECT_EQ(Back.FFill.A, 255);
    if (Back.FKind == TSceneItemKind::VerticalGradient) {
        EXPECT_EQ(Back.FFill2.A, 255);
    }
    EXPECT_EQ(Back.FRadius, 0) << "rounded corners would leave the window's corners unpainted";
}

TEST(AboutSceneTest, ShowsTheGivenTextsTopDownInTheTextArea) {
    const std::vector<TSceneItem> Items = TextItems(BuildAboutScene(Texts));
    ASSERT_EQ(Items.size(), 4u);
    const TSceneRect Area{42, 57, 433, 223};
    const TSceneItem& Heading = Items[0];
    EXPECT_EQ(Heading.FText, Texts.FHeading);
    EXPECT_TRUE(Heading.FBold);
    EXPECT_EQ(Heading.FFontSizePt, 16);
    EXPECT_EQ(Heading.FBounds.X, Area.X);
    EXPECT_EQ(Heading.FBounds.Y, Area.Y) << "the texts are top-aligned";
    EXPECT_EQ(Items[1].FText, Texts.FHardwareLine);
    EXPECT_EQ(Items[2].FText, Texts.FSoftwareLine);
    int Bottom = Heading.FBounds.Y + Heading.FBounds.Height;
    for (const TSceneItem& Line : {Items[0], Items[1], Items[2]}) {
        EXPECT_TRUE(Inside(Line.FBounds, Area)) << "at y " << Line.FBounds.Y;
        EXPECT_EQ(Line.FAlign, platform::TTextAlign::Left);
        EXPECT_EQ(Line.FBounds.Width, Area.Width) << "long translations get the whole width";
    }
    for (const TSceneItem& Line : {Items[1], Items[2]}) {
        EXPECT_FALSE(Line.FBold);
        EXPECT_EQ(Line.FFontSizePt, 13);
        EXPECT_GE(Line.FBounds.Y, Bottom) << "lines must not overlap";
        EXPECT_EQ(Line.FBounds.X, Area.X);
        Bottom = Line.FBounds.Y + Line.FBounds.Height;
    }
}

TEST(AboutSceneTest, OkButtonIsTheOnlyClickableItemAndCarriesItsCaptionOnTop) {
    const platform::TScene Scene = BuildAboutScene(Texts);
    std::vector<std::size_t> Clickable;
    for (std::size_t I = 0; I < Scene.Items.size(); ++I) {
        if (Scene.Items[I].FCommandId != 0) {
            Clickable.push_back(I);
        }
    }
    ASSERT_EQ(Clickable.size(), 1u);
    const TSceneItem& Button = Scene.Items[Clickable[0]];
    EXPECT_EQ(Button.FBounds, (TSceneRect{213, 285, 80, 27}));
    EXPECT_EQ(Button.FCommandId, ABOUT_OK_COMMAND);
    EXPECT_GT(Button.FFill.A, 0) << "the button must stand out from the picture";

    const auto Caption = std::find_if(
        Scene.Items.begin() + static_cast<std::ptrdiff_t>(Clickable[0]), Scene.Items.end(),
        [](const TSceneItem& AItem) {
            return AItem.FKind == TSceneItemKind::Text && AItem.FText == Texts.FOkCaption;
        });
    ASSERT_NE(Caption, Scene.Items.end()) << "caption drawn after, so above, the button";
    EXPECT_TRUE(Inside(Caption->FBounds, Button.FBounds));
    EXPECT_EQ(Caption->FAlign, platform::TTextAlign::Center);
    EXPECT_NE(Caption->FFill, Button.FFill);
}

// A table may give two sources one translation; going back from it must still find the
// window's own source string, not the other one.
TEST(AboutSceneTest, TheWindowTranslatesItsSourceTextsAgainOnEachChangeOfLanguage) {
    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows(Clock);
    sim::TSimSceneWindows Scenes(Windows);
    TAboutWindow About(Scenes, 0, 0);
    About.Show();
    InstallActiveLanguageTable({{u"Cancel", u"好"}, {u"OK", u"好"}});
    const platform::TScene& Shown = Scenes.Windows().at(0)->Scene();
    EXPECT_EQ(Shown.Items.back().FText, u"好");
    InstallActiveLanguageTable({{u"OK", u"Okay"}});
    EXPECT_EQ(Shown.Items.back().FText, u"Okay");
    RemoveActiveLanguageTable();
    EXPECT_EQ(Shown.Items.back().FText, u"OK");
    EXPECT_EQ(About.Texts().FHeading, u"Hardware & Software Information:");
}

} // namespace
} // namespace vanto
