#include "i18n/Translate.h"

namespace vanto {

std::u16string Translate(std::u16string_view AText) {
    return std::u16string(AText);
}

} // namespace vanto
