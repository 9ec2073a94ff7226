#pragma once

#include "i18n/TranslatedWindow.h"
#include "platform/SceneWindow.h"

#include <memory>
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

// The About window, in the current language whenever it shows. It translates its English
// source texts again on every change of language rather than its texts as shown: turning a
// translation back into its source cannot go wrong then, whatever a language's lines hold.
class TAboutWindow {
public:
    // Clicks on the OK button are posted to AOwner as AClickMessage with ABOUT_OK_COMMAND.
    TAboutWindow(platform::ISceneWindows& AScenes, platform::TWindowHandle AOwner,
                 platform::TMessageId AClickMessage);

    void Show();
    void Hide() { FWindow->Hide(); }
    bool IsVisible() { return FWindow->IsVisible(); }
    void BringToFront() { FWindow->BringToFront(); }
    // The texts in the current language, shown or not.
    const TAboutTexts& Texts() const { return FTexts; }

private:
    void ReapplyTexts();

    std::unique_ptr<platform::ISceneWindow> FWindow;
    TAboutTexts FTexts;
    // Last, so that it is registered only with everything above in place.
    TTranslatedWindow FTranslated{[this] { ReapplyTexts(); }};
};

} // namespace vanto
