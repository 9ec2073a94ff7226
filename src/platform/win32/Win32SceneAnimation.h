#pragma once

#include "platform/SceneWindow.h"

namespace vanto::win32 {

// How far an exponential ease-out has come after AProgress of its way (0..1, clamped): fast at
// first, settling gently, and exactly 0 and 1 at the ends so that a cycle joins without a jump.
float EaseOutExponential(float AProgress);

// The colour an animated item shows ASeconds after its scene was shown: FFill easing out to
// FAnimateTo over FAnimateSeconds, then easing back the same way, over and over. All four
// channels move. An item without animation shows FFill.
platform::TSceneColor AnimatedFill(const platform::TSceneItem& AItem, double ASeconds);

bool HasAnimation(const platform::TScene& AScene);

// AScene as it looks ASeconds after it was shown.
platform::TScene SceneAt(const platform::TScene& AScene, double ASeconds);

} // namespace vanto::win32
