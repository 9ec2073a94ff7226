#include "Utf8Text.h"

#include <cwchar>
#include <locale>

namespace vanto::ctl {

namespace {

using TUtf8Codec = std::codecvt<char16_t, char8_t, std::mbstate_t>;

const TUtf8Codec& Utf8Codec() {
    return std::use_facet<TUtf8Codec>(std::locale::classic());
}

} // namespace

std::optional<std::u16string> FromUtf8(std::string_view AText) {
    std::u16string Text(AText.size(), u'\0');
    std::mbstate_t State{};
    const auto* From = reinterpret_cast<const char8_t*>(AText.data());
    const char8_t* FromNext = nullptr;
    char16_t* ToNext = nullptr;
    const auto Result = Utf8Codec().in(State, From, From + AText.size(), FromNext, Text.data(),
                                       Text.data() + Text.size(), ToNext);
    if (Result != TUtf8Codec::ok && !(Result == TUtf8Codec::noconv && AText.empty())) {
        return std::nullopt;
    }
    Text.resize(static_cast<std::size_t>(ToNext - Text.data()));
    return Text;
}

std::string ToUtf8(std::u16string_view AText) {
    std::u8string Text(AText.size() * 3, u8'\0');
    std::mbstate_t State{};
    const char16_t* FromNext = nullptr;
    char8_t* ToNext = nullptr;
    Utf8Codec().out(State, AText.data(), AText.data() + AText.size(), FromNext, Text.data(),
                    Text.data() + Text.size(), ToNext);
    return {reinterpret_cast<const char*>(Text.data()),
            static_cast<std::size_t>(ToNext - Text.data())};
}

std::filesystem::path PathFromUtf8(std::string_view AText) {
    return std::filesystem::path(std::u8string(AText.begin(), AText.end()));
}

} // namespace vanto::ctl
