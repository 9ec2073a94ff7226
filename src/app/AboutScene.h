#pragma once

#include "platform/SceneWindow.h"

#include <string>

namespace vanto {

// The About window: its geometry is fixed, its texts come already translated.
inline constexpr int ABOUT_WIDTH = 504;
inline constexpr int ABOUT_HEIGHT = 335;
// The heading and the two version lines stand at the top of this area.
inline constexpr platform::TSceneRect ABOUT_TEXT_AREA{42, 57, 433, 223};
inline constexpr platform::TSceneRect ABOUT_OK_BUTTON{213, 285, 80, 27};
// What a click on the OK button posts to the window's owner.
inline constexpr platform::TWParam ABOUT_OK_COMMAND = 2001;

struct TAboutTexts {
    std::u16string FHeading;
    std::u16string FHardwareLine;
    std::u16string FSoftwareLine;
    std::u16string FOkCaption;
};

// The English source texts, to be passed through the translation before they are shown.
TAboutTexts AboutSourceTexts();

// The About window as a scene: the background picture, the texts and the OK button.
platform::TScene BuildAboutScene(const TAboutTexts& ATexts);

} // namespace vanto
