#pragma once

#include <functional>

namespace vanto {

// A window whose texts pass through Translate. While it exists it is registered, so that
// installing or removing a language table makes it set its texts again.
class TTranslatedWindow {
public:
    explicit TTranslatedWindow(std::function<void()> AReapplyTexts);
    ~TTranslatedWindow();
    TTranslatedWindow(const TTranslatedWindow&) = delete;
    TTranslatedWindow& operator=(const TTranslatedWindow&) = delete;

private:
    std::function<void()> FReapplyTexts;
    friend void ReapplyAllWindowTexts();
};

// Every registered window sets its texts again, in the order they were registered. A window
// that goes while another re-applies is skipped, not called.
void ReapplyAllWindowTexts();

} // namespace vanto
