#include "RecordJson.h"

#include "Json.h"
#include "RecordFields.h"
#include "platform/Utf16.h"
#include "shared/pubunit_quorvin.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace vanto::ctl {

namespace {

template <typename T> constexpr long long LowestOf() {
    return static_cast<long long>(std::numeric_limits<T>::min());
}
template <typename T> constexpr long long HighestOf() {
    return static_cast<long long>(std::numeric_limits<T>::max());
}

// --- Printing: one member a line, two spaces an indent level. ---

class TJsonPrinter {
public:
    explicit TJsonPrinter(std::ostream& AOut) : FOut(AOut) {}

    template <typename TRecord> void Root(TRecord& ARecord) {
        Open({}, '{');
        Fields(*this, ARecord);
        Close('}');
        FOut << "\n";
    }

    template <typename T>
    void Number(std::string_view AKey, const T& AField, long long = 0, long long = 0) {
        Member(AKey);
        FOut << static_cast<long long>(AField);
    }
    void Real(std::string_view AKey, double AValue) {
        Member(AKey);
        if (std::isfinite(AValue)) {
            FOut << std::setprecision(17) << AValue;
        } else {
            FOut << "null"; // JSON has no NaN or infinity
        }
    }
    template <std::size_t N> void Text(std::string_view AKey, const char16_t (&AField)[N]) {
        Member(AKey);
        FOut << '"' << EscapeForPrinting(ReadRecordText(AField)) << '"';
    }
    template <typename TItem> void Object(std::string_view AKey, TItem& AItem) {
        Open(AKey, '{');
        Fields(*this, AItem);
        Close('}');
    }
    template <typename TItem, std::size_t N>
    void Objects(std::string_view AKey, TItem (&AItems)[N]) {
        Open(AKey, '[');
        for (TItem& Item : AItems) {
            Object({}, Item);
        }
        Close(']');
    }
    template <typename T, std::size_t N>
    void Numbers(std::string_view AKey, const T (&AItems)[N], long long = 0, long long = 0) {
        Open(AKey, '[');
        for (const T& Item : AItems) {
            Number({}, Item);
        }
        Close(']');
    }
    // Only the valid steps; a stored count outside 0..128 still shows as it is.
    template <std::size_t N>
    void Steps(std::string_view AKey, TMACROKEY (&ASteps)[N], std::int32_t ACount) {
        Open(AKey, '[');
        const int Count = std::clamp<int>(ACount, 0, static_cast<int>(N));
        for (int I = 0; I < Count; ++I) {
            Object({}, ASteps[I]);
        }
        Close(']');
    }

private:
    void Member(std::string_view AKey) {
        if (FNeedComma) {
            FOut << ',';
        }
        if (FDepth > 0) {
            FOut << '\n' << std::string(FDepth * 2, ' ');
        }
        if (!AKey.empty()) {
            FOut << '"' << AKey << "\": ";
        }
        FNeedComma = true;
    }
    void Open(std::string_view AKey, char ABracket) {
        Member(AKey);
        FOut << ABracket;
        ++FDepth;
        FNeedComma = false;
    }
    void Close(char ABracket) {
        --FDepth;
        if (FNeedComma) {
            FOut << '\n' << std::string(FDepth * 2, ' ');
        }
        FOut << ABracket;
        FNeedComma = true;
    }

    std::ostream& FOut;
    int FDepth = 0;
    bool FNeedComma = false;
};

// Copies the bytes into an aligned record before it is read.
template <typename TRecord> void Print(std::span<const std::uint8_t> ABytes, std::ostream& AOut) {
    auto Record = std::make_unique<TRecord>();
    std::memcpy(Record.get(), ABytes.data(), sizeof(TRecord));
    TJsonPrinter(AOut).Root(*Record);
}

// --- Reading: the text must name every listed member and nothing else. ---

const char* KindName(TJsonValue::TKind AKind) {
    switch (AKind) {
    case TJsonValue::TKind::Null:
        return "null";
    case TJsonValue::TKind::Boolean:
        return "true or false";
    case TJsonValue::TKind::Number:
        return "a number";
    case TJsonValue::TKind::String:
        return "a text";
    case TJsonValue::TKind::Array:
        return "an array";
    default:
        return "an object";
    }
}

class TJsonReader {
public:
    explicit TJsonReader(const TJsonValue& ARoot) : FObject(&ARoot) {}

    template <typename TRecord> void Root(TRecord& ARecord) { ReadObject(*FObject, ARecord); }

    template <typename T>
    void Number(std::string_view AKey, T& AField, long long AMin = LowestOf<T>(),
                long long AMax = HighestOf<T>()) {
        TPathPart Part(*this, AKey);
        AField = ReadNumber<T>(Take(AKey, TJsonValue::TKind::Number), AMin, AMax);
    }
    // null is a value JSON cannot write (NaN, infinity): the base's bytes stay.
    void Real(std::string_view AKey, double& AField) {
        TPathPart Part(*this, AKey);
        const TJsonValue* Value = FObject->Member(AKey);
        if (Value && Value->FKind == TJsonValue::TKind::Null) {
            FUsed.insert(std::string(AKey));
            return;
        }
        const std::string& Text = Take(AKey, TJsonValue::TKind::Number).FNumber;
        double Read = 0;
        auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Read);
        if (Error != std::errc{} || End != Text.data() + Text.size()) {
            Refuse(Text + " is not a number a double can hold");
        }
        AField = Read;
    }
    // Only the text and its terminator are written: the units after it stay the base's.
    template <std::size_t N> void Text(std::string_view AKey, char16_t (&AField)[N]) {
        TPathPart Part(*this, AKey);
        const std::u16string& Text = Take(AKey, TJsonValue::TKind::String).FString;
        if (Text.size() > N - 1) {
            Refuse("text of " + std::to_string(Text.size()) +
                   " UTF-16 units is longer than its field, which holds at most " +
                   std::to_string(N - 1));
        }
        if (Text.find(u'\0') != std::u16string::npos) {
            Refuse("a text cannot hold U+0000, which ends it");
        }
        WriteRecordText(AField, Text);
    }
    template <typename TItem> void Object(std::string_view AKey, TItem& AItem) {
        TPathPart Part(*this, AKey);
        ReadObject(Take(AKey, TJsonValue::TKind::Object), AItem);
    }
    template <typename TItem, std::size_t N>
    void Objects(std::string_view AKey, TItem (&AItems)[N]) {
        TPathPart Part(*this, AKey);
        const TJsonValue& Array = TakeArray(AKey, N, N);
        for (std::size_t I = 0; I < N; ++I) {
            TPathPart Index(*this, I);
            ReadObject(Expect(Array.FItems[I], TJsonValue::TKind::Object), AItems[I]);
        }
    }
    template <typename T, std::size_t N>
    void Numbers(std::string_view AKey, T (&AItems)[N], long long AMin = LowestOf<T>(),
                 long long AMax = HighestOf<T>()) {
        TPathPart Part(*this, AKey);
        const TJsonValue& Array = TakeArray(AKey, N, N);
        for (std::size_t I = 0; I < N; ++I) {
            TPathPart Index(*this, I);
            AItems[I] =
                ReadNumber<T>(Expect(Array.FItems[I], TJsonValue::TKind::Number), AMin, AMax);
        }
    }
    // As many steps as the count says; the steps after them stay the base's.
    template <std::size_t N>
    void Steps(std::string_view AKey, TMACROKEY (&ASteps)[N], std::int32_t) {
        TPathPart Part(*this, AKey);
        const TJsonValue& Array = TakeArray(AKey, 0, N);
        for (std::size_t I = 0; I < Array.FItems.size(); ++I) {
            TPathPart Index(*this, I);
            ReadObject(Expect(Array.FItems[I], TJsonValue::TKind::Object), ASteps[I]);
        }
        FStepCount = Array.FItems.size();
    }

    // After a macro's fields: its count must say as many steps as the list holds.
    void CheckStepCount(std::int32_t ACount) {
        if (static_cast<std::size_t>(ACount) != FStepCount) {
            TPathPart Part(*this, "MacroListCount");
            Refuse(std::to_string(ACount) + " does not match the " + std::to_string(FStepCount) +
                   " steps of MacroList");
        }
    }

private:
    // The path of the value being read, kept while it is.
    class TPathPart {
    public:
        TPathPart(TJsonReader& AReader, std::string_view AKey)
            : FReader(AReader), FLength(AReader.FPath.size()) {
            if (!AKey.empty()) {
                FReader.FPath += (FReader.FPath.empty() ? "" : ".") + std::string(AKey);
            }
        }
        TPathPart(TJsonReader& AReader, std::size_t AIndex)
            : FReader(AReader), FLength(AReader.FPath.size()) {
            FReader.FPath += "[" + std::to_string(AIndex) + "]";
        }
        ~TPathPart() { FReader.FPath.resize(FLength); }
        TPathPart(const TPathPart&) = delete;
        TPathPart& operator=(const TPathPart&) = delete;

    private:
        TJsonReader& FReader;
        std::size_t FLength;
    };

    [[noreturn]] void Refuse(const std::string& AProblem) const {
        throw ERecordRefused((FPath.empty() ? std::string("the text") : FPath) + ": " + AProblem);
    }

    const TJsonValue& Expect(const TJsonValue& AValue, TJsonValue::TKind AKind) const {
        if (AValue.FKind != AKind) {
            Refuse(std::string("must be ") + KindName(AKind) + ", not " + KindName(AValue.FKind));
        }
        return AValue;
    }

    const TJsonValue& Take(std::string_view AKey, TJsonValue::TKind AKind) {
        const TJsonValue* Value = FObject->Member(AKey);
        if (!Value) {
            Refuse("missing");
        }
        FUsed.insert(std::string(AKey));
        return Expect(*Value, AKind);
    }

    const TJsonValue& TakeArray(std::string_view AKey, std::size_t AMin, std::size_t AMax) {
        const TJsonValue& Array = Take(AKey, TJsonValue::TKind::Array);
        if (Array.FItems.size() < AMin || Array.FItems.size() > AMax) {
            Refuse("holds " + std::to_string(Array.FItems.size()) + " entries; " +
                   (AMin == AMax
                        ? "it must hold " + std::to_string(AMin)
                        : "it holds " + std::to_string(AMin) + " to " + std::to_string(AMax)));
        }
        return Array;
    }

    template <typename T> T ReadNumber(const TJsonValue& AValue, long long AMin, long long AMax) {
        const std::string& Text = AValue.FNumber;
        long long Read = 0;
        auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Read);
        if (End != Text.data() + Text.size() && Error == std::errc{}) {
            Refuse(Text + " is not a whole number");
        }
        if (Error != std::errc{} || Read < AMin || Read > AMax) {
            Refuse(Text + " is out of range " + std::to_string(AMin) + ".." + std::to_string(AMax));
        }
        return static_cast<T>(Read);
    }

    template <typename TItem> void ReadObject(const TJsonValue& AObject, TItem& AItem) {
        const TJsonValue* Outer = FObject;
        std::set<std::string> OuterUsed;
        OuterUsed.swap(FUsed);
        FObject = &AObject;
        Fields(*this, AItem);
        if constexpr (std::is_same_v<TItem, TMACROKEYINFO>) {
            CheckStepCount(AItem.MacroListCount);
        }
        for (const auto& Member : AObject.FMembers) {
            if (!FUsed.contains(Member.first)) {
                TPathPart Part(*this, Member.first);
                Refuse("no such field in this record");
            }
        }
        FObject = Outer;
        FUsed.swap(OuterUsed);
    }

    const TJsonValue* FObject;
    std::set<std::string> FUsed;
    std::string FPath;
    std::size_t FStepCount = 0;
};

template <typename TRecord>
std::vector<std::uint8_t> Build(const TJsonValue& ARoot, std::span<const std::uint8_t> ABase) {
    auto Record = std::make_unique<TRecord>();
    if (!ABase.empty()) {
        std::memcpy(Record.get(), ABase.data(), sizeof(TRecord));
    }
    TJsonReader(ARoot).Root(*Record);
    std::vector<std::uint8_t> Bytes(sizeof(TRecord));
    std::memcpy(Bytes.data(), Record.get(), sizeof(TRecord));
    return Bytes;
}

// Each record's text opens with a member only that record has.
std::size_t RecordSizeOfText(const TJsonValue& ARoot) {
    if (ARoot.FKind != TJsonValue::TKind::Object) {
        throw ERecordRefused("the text: must be an object, as dump prints a record");
    }
    if (ARoot.Member("ProfileHeader")) {
        return sizeof(TMouseProfileInfo);
    }
    if (ARoot.Member("ProfileSettingList")) {
        return sizeof(TProfileSettingGroup);
    }
    if (ARoot.Member("Allgameset")) {
        return sizeof(TALLGAMESINFO);
    }
    throw ERecordRefused("the text: not a profile, setting group or all-settings record (it has "
                         "no ProfileHeader, ProfileSettingList or Allgameset)");
}

} // namespace

bool PrintRecordAsJson(std::span<const std::uint8_t> ABytes, std::ostream& AOut) {
    switch (ABytes.size()) {
    case sizeof(TMouseProfileInfo):
        Print<TMouseProfileInfo>(ABytes, AOut);
        return true;
    case sizeof(TProfileSettingGroup):
        Print<TProfileSettingGroup>(ABytes, AOut);
        return true;
    case sizeof(TALLGAMESINFO):
        Print<TALLGAMESINFO>(ABytes, AOut);
        return true;
    default:
        return false;
    }
}

std::string RecordKindOfSize(std::size_t ASize) {
    switch (ASize) {
    case sizeof(TMouseProfileInfo):
        return "profile (109816 bytes)";
    case sizeof(TProfileSettingGroup):
        return "setting group (30964 bytes)";
    case sizeof(TALLGAMESINFO):
        return "all-settings record (30954 bytes)";
    default:
        return {};
    }
}

std::optional<std::string> NotARecordSize(std::uintmax_t ASize) {
    if (!RecordKindOfSize(static_cast<std::size_t>(ASize)).empty()) {
        return std::nullopt;
    }
    return std::to_string(ASize) +
           " bytes: not a profile (109816), setting group (30964) or all-settings record (30954)";
}

std::vector<std::uint8_t> BuildRecordFromJson(std::string_view AJson,
                                              std::span<const std::uint8_t> ABase) {
    const TJsonValue Root = ParseJson(AJson);
    const std::size_t Size = RecordSizeOfText(Root);
    if (!ABase.empty() && ABase.size() != Size) {
        throw ERecordRefused("the text is a " + RecordKindOfSize(Size) + ", the base record a " +
                             (RecordKindOfSize(ABase.size()).empty()
                                  ? std::to_string(ABase.size()) + "-byte file"
                                  : RecordKindOfSize(ABase.size())));
    }
    switch (Size) {
    case sizeof(TMouseProfileInfo):
        return Build<TMouseProfileInfo>(Root, ABase);
    case sizeof(TProfileSettingGroup):
        return Build<TProfileSettingGroup>(Root, ABase);
    default:
        return Build<TALLGAMESINFO>(Root, ABase);
    }
}

} // namespace vanto::ctl
