#pragma once

#include <string>

namespace vanto::platform {

// The modal message box, the only way the monitor speaks to the user besides the tray.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Blocks the calling thread until the user dismisses the box.
    virtual void Show(const std::u16string& AText) = 0;
    // The same with the error icon and the given caption.
    virtual void ShowError(const std::u16string& AText, const std::u16string& ACaption) = 0;
};

} // namespace vanto::platform
