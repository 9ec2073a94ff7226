#include "platform/sim/SimSceneWindows.h"

#include <algorithm>

namespace vanto::sim {

TSimSceneWindow::TSimSceneWindow(platform::IWindowSystem& AWindows, platform::TWindowHandle AOwner,
                                 platform::TMessageId AClickMessage,
                                 platform::TScenePlacement APlacement,
                                 const platform::TSceneWindowStyle& AStyle,
                                 std::vector<TSimSceneWindow*>& ARegistry)
    : FWindows(AWindows), FRegistry(ARegistry), FOwner(AOwner), FClickMessage(AClickMessage),
      FHandle(AWindows.CreateHiddenWindow(
          u"TSimSceneWindow", AStyle.FTitle,
          [](platform::TMessageId, platform::TWParam, platform::TLParam) {
              return platform::TMessageResult{0};
          })),
      FPlacement(APlacement), FStyle(AStyle) {
    FRegistry.push_back(this);
}

TSimSceneWindow::~TSimSceneWindow() {
    std::erase(FRegistry, this);
    FWindows.DestroyHiddenWindow(FHandle);
}

void TSimSceneWindow::Show(const platform::TScene& AScene) {
    FScene = AScene;
    FVisible = true;
    ++FShowCount;
}

bool TSimSceneWindow::ClickAt(int AX, int AY) {
    if (!FVisible) {
        return false;
    }
    // The topmost item under the point takes the click, as the last one drawn is on top.
    for (auto Item = FScene.Items.rbegin(); Item != FScene.Items.rend(); ++Item) {
        const platform::TSceneRect& R = Item->FBounds;
        if (Item->FCommandId != 0 && AX >= R.X && AX < R.X + R.Width && AY >= R.Y &&
            AY < R.Y + R.Height) {
            return FWindows.Post(FOwner, FClickMessage, Item->FCommandId, 0);
        }
    }
    return false;
}

std::unique_ptr<platform::ISceneWindow>
TSimSceneWindows::CreateSceneWindow(platform::TWindowHandle AOwner,
                                    platform::TMessageId AClickMessage,
                                    platform::TScenePlacement APlacement,
                                    const platform::TSceneWindowStyle& AStyle) {
    return std::make_unique<TSimSceneWindow>(FWindows, AOwner, AClickMessage, APlacement, AStyle,
                                             FCreated);
}

} // namespace vanto::sim
