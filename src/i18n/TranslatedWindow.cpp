#include "i18n/TranslatedWindow.h"

#include <algorithm>
#include <vector>

namespace vanto {

namespace {

// Windows live on the main thread, and so does everything that translates their texts.
std::vector<TTranslatedWindow*>& RegisteredWindows() {
    static std::vector<TTranslatedWindow*> Windows;
    return Windows;
}

} // namespace

TTranslatedWindow::TTranslatedWindow(std::function<void()> AReapplyTexts)
    : FReapplyTexts(std::move(AReapplyTexts)) {
    RegisteredWindows().push_back(this);
}

TTranslatedWindow::~TTranslatedWindow() {
    std::erase(RegisteredWindows(), this);
}

void ReapplyAllWindowTexts() {
    const std::vector<TTranslatedWindow*> Snapshot = RegisteredWindows();
    for (TTranslatedWindow* Window : Snapshot) {
        if (std::ranges::find(RegisteredWindows(), Window) != RegisteredWindows().end()) {
            Window->FReapplyTexts();
        }
    }
}

} // namespace vanto
