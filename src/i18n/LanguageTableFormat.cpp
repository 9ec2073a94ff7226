#include "i18n/LanguageTableFormat.h"

#include "platform/Utf16.h"

namespace vanto {

namespace {

// Reads the stored format front to back; every read checks that the bytes are there first.
class TTableReader {
public:
    explicit TTableReader(std::span<const std::uint8_t> ABytes) : FBytes(ABytes) {}

    std::optional<std::int32_t> Integer() {
        if (Remaining() < 4) {
            return std::nullopt;
        }
        std::uint32_t Value = 0;
        for (int Byte = 3; Byte >= 0; --Byte) {
            Value = (Value << 8) | FBytes[FPos + static_cast<std::size_t>(Byte)];
        }
        FPos += 4;
        return static_cast<std::int32_t>(Value);
    }

    std::optional<std::u16string> String() {
        const std::optional<std::int32_t> Length = Integer();
        if (!Length || *Length < 0 || static_cast<std::size_t>(*Length) > Remaining() / 2) {
            return std::nullopt;
        }
        std::u16string Text(static_cast<std::size_t>(*Length), u'\0');
        for (char16_t& Unit : Text) {
            Unit = static_cast<char16_t>(FBytes[FPos] | (FBytes[FPos + 1] << 8));
            FPos += 2;
        }
        return Text;
    }

    std::size_t Remaining() const { return FBytes.size() - FPos; }

private:
    std::span<const std::uint8_t> FBytes;
    std::size_t FPos = 0;
};

// The smallest a language can take: the two lengths of an empty id and empty lines.
constexpr std::size_t SMALLEST_LANGUAGE_BYTES = 8;

std::optional<TLanguageResource> ReadLanguage(TTableReader& AReader) {
    std::optional<std::u16string> Id = AReader.String();
    if (!Id) {
        return std::nullopt;
    }
    std::optional<std::u16string> Text = AReader.String();
    if (!Text) {
        return std::nullopt;
    }
    std::optional<TLanguageLines> Lines = ParseLanguageLines(*Text);
    if (!Lines) {
        return std::nullopt;
    }
    return TLanguageResource{std::move(*Id), std::move(*Lines)};
}

void AppendInteger(std::vector<std::uint8_t>& ABytes, std::int32_t AValue) {
    const auto Value = static_cast<std::uint32_t>(AValue);
    for (int Shift = 0; Shift < 32; Shift += 8) {
        ABytes.push_back(static_cast<std::uint8_t>(Value >> Shift));
    }
}

void AppendString(std::vector<std::uint8_t>& ABytes, std::u16string_view AText) {
    AppendInteger(ABytes, static_cast<std::int32_t>(AText.size()));
    for (char16_t Unit : AText) {
        ABytes.push_back(static_cast<std::uint8_t>(Unit & 0xFF));
        ABytes.push_back(static_cast<std::uint8_t>(Unit >> 8));
    }
}

} // namespace

std::optional<TLanguageTable> ReadLanguageTable(std::span<const std::uint8_t> ABytes) {
    TTableReader Reader(ABytes);
    const std::optional<std::u16string> Sources = Reader.String();
    const std::optional<std::int32_t> Count = Reader.Integer();
    if (!Sources || !Count || *Count < 0 ||
        static_cast<std::size_t>(*Count) > Reader.Remaining() / SMALLEST_LANGUAGE_BYTES) {
        return std::nullopt;
    }
    TLanguageTable Table;
    Table.FSourceStrings = SplitTextLines(*Sources);
    for (std::int32_t Index = 0; Index < *Count; ++Index) {
        std::optional<TLanguageResource> Language = ReadLanguage(Reader);
        if (!Language) {
            return std::nullopt;
        }
        Table.FLanguages.push_back(std::move(*Language));
    }
    // Bytes after the last language mean the file is not what it claims to be.
    if (Reader.Remaining() != 0) {
        return std::nullopt;
    }
    return Table;
}

std::vector<std::uint8_t> WriteLanguageTable(const TLanguageTable& ATable) {
    std::vector<std::uint8_t> Bytes;
    AppendString(Bytes, JoinTextLines(ATable.FSourceStrings));
    AppendInteger(Bytes, static_cast<std::int32_t>(ATable.FLanguages.size()));
    for (const TLanguageResource& Language : ATable.FLanguages) {
        AppendString(Bytes, Language.FId);
        AppendString(Bytes, LanguageLinesText(Language.FLines));
    }
    return Bytes;
}

int IndexOfLanguage(const std::vector<TLanguageResource>& ALanguages, std::u16string_view AId) {
    for (std::size_t Index = 0; Index < ALanguages.size(); ++Index) {
        if (SameTextIgnoringCase(ALanguages[Index].FId, AId)) {
            return static_cast<int>(Index);
        }
    }
    return -1;
}

} // namespace vanto
