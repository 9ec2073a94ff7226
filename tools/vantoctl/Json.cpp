#include "Json.h"

#include "Utf8Text.h"

#include <charconv>

namespace vanto::ctl {

namespace {

// Far deeper than any record's nesting; keeps a hostile file from exhausting the stack.
constexpr int MAX_DEPTH = 64;

class TJsonReader {
public:
    explicit TJsonReader(std::string_view AText) : FText(AText) {}

    TJsonValue Document() {
        SkipSpace();
        TJsonValue Value = ReadValue(0);
        SkipSpace();
        if (FPos != FText.size()) {
            Fail("text after the value");
        }
        return Value;
    }

private:
    [[noreturn]] void Fail(const std::string& AProblem) const {
        std::size_t Line = 1;
        std::size_t Column = 1;
        for (std::size_t I = 0; I < FPos && I < FText.size(); ++I) {
            if (FText[I] == '\n') {
                ++Line;
                Column = 1;
            } else {
                ++Column;
            }
        }
        throw EJsonSyntax("line " + std::to_string(Line) + " column " + std::to_string(Column) +
                          ": " + AProblem);
    }

    bool AtEnd() const { return FPos >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
            ++FPos;
        }
    }

    void Expect(char AChar) {
        if (Peek() != AChar) {
            Fail(std::string("expected '") + AChar + "'");
        }
        ++FPos;
    }

    TJsonValue ReadValue(int ADepth) {
        if (ADepth > MAX_DEPTH) {
            Fail("nested too deeply");
        }
        TJsonValue Value;
        switch (Peek()) {
        case '{':
            ReadObject(Value, ADepth);
            break;
        case '[':
            ReadArray(Value, ADepth);
            break;
        case '"':
            Value.FKind = TJsonValue::TKind::String;
            Value.FString = ReadString();
            break;
        default:
            ReadLiteral(Value);
            break;
        }
        return Value;
    }

    void ReadObject(TJsonValue& AValue, int ADepth) {
        AValue.FKind = TJsonValue::TKind::Object;
        Expect('{');
        SkipSpace();
        if (Peek() == '}') {
            ++FPos;
            return;
        }
        for (;;) {
            SkipSpace();
            if (Peek() != '"') {
                Fail("expected a member name");
            }
            const std::size_t NameAt = FPos;
            const std::string Name = ToUtf8(ReadString());
            if (AValue.Member(Name)) {
                FPos = NameAt;
                Fail("member \"" + Name + "\" given twice");
            }
            SkipSpace();
            Expect(':');
            SkipSpace();
            AValue.FMembers.emplace_back(Name, ReadValue(ADepth + 1));
            SkipSpace();
            if (Peek() == ',') {
                ++FPos;
                continue;
            }
            Expect('}');
            return;
        }
    }

    void ReadArray(TJsonValue& AValue, int ADepth) {
        AValue.FKind = TJsonValue::TKind::Array;
        Expect('[');
        SkipSpace();
        if (Peek() == ']') {
            ++FPos;
            return;
        }
        for (;;) {
            SkipSpace();
            AValue.FItems.push_back(ReadValue(ADepth + 1));
            SkipSpace();
            if (Peek() == ',') {
                ++FPos;
                continue;
            }
            Expect(']');
            return;
        }
    }

    char16_t ReadHexUnit() {
        if (FText.size() - FPos < 4) {
            Fail("\\u needs four hex digits");
        }
        unsigned Unit = 0;
        const char* First = FText.data() + FPos;
        auto [End, Error] = std::from_chars(First, First + 4, Unit, 16);
        if (Error != std::errc{} || End != First + 4) {
            Fail("\\u needs four hex digits");
        }
        FPos += 4;
        return static_cast<char16_t>(Unit);
    }

    char16_t ReadEscape() {
        const char Escape = Peek();
        ++FPos;
        switch (Escape) {
        case '"':
            return u'"';
        case '\\':
            return u'\\';
        case '/':
            return u'/';
        case 'b':
            return u'\b';
        case 'f':
            return u'\f';
        case 'n':
            return u'\n';
        case 'r':
            return u'\r';
        case 't':
            return u'\t';
        case 'u':
            return ReadHexUnit();
        default:
            --FPos;
            Fail("unknown escape");
        }
    }

    // Runs of plain bytes are converted as UTF-8 in one go; escapes are units of their own.
    std::u16string ReadString() {
        Expect('"');
        std::u16string Text;
        std::size_t RunStart = FPos;
        const auto FlushRun = [&] {
            const auto Run = FromUtf8(FText.substr(RunStart, FPos - RunStart));
            if (!Run) {
                FPos = RunStart;
                Fail("text is not UTF-8");
            }
            Text += *Run;
        };
        for (;;) {
            if (AtEnd()) {
                Fail("text not closed");
            }
            const char Char = Peek();
            if (static_cast<unsigned char>(Char) < 0x20) {
                Fail("control character in text (write it as an escape)");
            }
            if (Char == '"') {
                FlushRun();
                ++FPos;
                return Text;
            }
            if (Char == '\\') {
                FlushRun();
                ++FPos;
                Text += ReadEscape();
                RunStart = FPos;
                continue;
            }
            ++FPos;
        }
    }

    bool TakeWord(std::string_view AWord) {
        if (FText.substr(FPos, AWord.size()) != AWord) {
            return false;
        }
        FPos += AWord.size();
        return true;
    }

    void ReadLiteral(TJsonValue& AValue) {
        if (TakeWord("null")) {
            AValue.FKind = TJsonValue::TKind::Null;
        } else if (TakeWord("true")) {
            AValue.FKind = TJsonValue::TKind::Boolean;
            AValue.FBoolean = true;
        } else if (TakeWord("false")) {
            AValue.FKind = TJsonValue::TKind::Boolean;
        } else {
            AValue.FKind = TJsonValue::TKind::Number;
            AValue.FNumber = ReadNumber();
        }
    }

    void Digits() {
        if (!(Peek() >= '0' && Peek() <= '9')) {
            Fail("expected a value");
        }
        while (Peek() >= '0' && Peek() <= '9') {
            ++FPos;
        }
    }

    // The grammar of RFC 8259: no leading zeros, no '+', no bare '.'.
    std::string ReadNumber() {
        const std::size_t Start = FPos;
        if (Peek() == '-') {
            ++FPos;
        }
        if (Peek() == '0') {
            ++FPos;
        } else {
            Digits();
        }
        if (Peek() == '.') {
            ++FPos;
            Digits();
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++FPos;
            if (Peek() == '+' || Peek() == '-') {
                ++FPos;
            }
            Digits();
        }
        return std::string(FText.substr(Start, FPos - Start));
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

} // namespace

const TJsonValue* TJsonValue::Member(std::string_view AKey) const {
    for (const auto& [Key, Value] : FMembers) {
        if (Key == AKey) {
            return &Value;
        }
    }
    return nullptr;
}

TJsonValue ParseJson(std::string_view AText) {
    return TJsonReader(AText).Document();
}

} // namespace vanto::ctl
