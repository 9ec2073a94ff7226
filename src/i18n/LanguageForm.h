#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

// A component of a form as the language component's walk sees it: its class name, its name,
// and its string properties by name. The monitor's forms have no run-time type information to
// read published properties from, so each form lists the few components whose texts the walk
// may translate; windows drawn as scenes are not listed, they translate themselves (see
// TTranslatedWindow).
struct TFormComponent {
    std::u16string FClassName;
    std::u16string FName;
    // The property's value; nothing when the component has no such property.
    std::function<std::optional<std::u16string>(std::u16string_view AProperty)> FRead;
    std::function<void(std::u16string_view AProperty, const std::u16string& AValue)> FWrite;
};

// A form that a language component is owned by, with the components it owns, in order.
struct TLanguageForm {
    std::u16string FName;
    std::vector<TFormComponent> FComponents;
};

} // namespace vanto
