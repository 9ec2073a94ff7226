#pragma once

#include "platform/MessageBox.h"

namespace vanto::win32 {

// MessageBoxW with an OK button, modal to every window of the calling thread, under the
// program's name as ShowMessage-style boxes are.
class TWin32MessageBox final : public platform::IMessageBox {
public:
    void Show(const std::u16string& AText) override;
    void ShowError(const std::u16string& AText, const std::u16string& ACaption) override;
};

} // namespace vanto::win32
