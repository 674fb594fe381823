#include <algorithm>

#include "dataedit/gs1.h"
#include "dataedit/gs1_dictionary.h"

namespace omni::dataedit {
namespace {

constexpr char kFs = 0x1C;
constexpr char kGs = 0x1D;
constexpr char kSymbologyMarker = ']';
constexpr std::size_t kSymbologyIdLength = 3;  // "]" and two characters, as "]C1"

bool isSeparator(char c) {
    return c == kFs || c == kGs;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one sample; `pos` moves through the data.
class SampleReader {
public:
    explicit SampleReader(std::string data) : data_(std::move(data)) {}

    GS1Parse run() {
        GS1Parse result;
        while (true) {
            skipSeparators();
            if (pos_ >= data_.size()) {
                result.stop = GS1ParseStop::End;
                break;
            }
            if (result.rows.size() == kMaxGS1Rows) {
                result.stop = GS1ParseStop::RowLimit;
                break;
            }
            GS1Row row;
            GS1ParseStop stop = readRow(row);
            if (stop != GS1ParseStop::End) {
                result.stop = stop;
                break;
            }
            result.rows.push_back(std::move(row));
        }
        result.position = pos_;
        return result;
    }

private:
    void skipSeparators() {
        while (pos_ < data_.size()) {
            if (isSeparator(data_[pos_])) {
                ++pos_;
            } else if (data_[pos_] == kSymbologyMarker &&
                       pos_ + kSymbologyIdLength <= data_.size()) {
                pos_ += kSymbologyIdLength;
            } else {
                break;
            }
        }
    }

    // The AI and its components; End when the row was read whole.
    GS1ParseStop readRow(GS1Row& row) {
        auto found = LookUpGS1Ai(std::string_view(data_).substr(pos_));
        if (!found)
            return GS1ParseStop::UnknownAi;
        row.ai = data_.substr(pos_, found->digits);
        pos_ += found->digits;
        const GS1Format& format = found->range->format;
        std::size_t first = 0;
        if (format[0].kind == GS1Kind::Extension) {
            for (std::size_t i = 0; i < format[0].length; ++i, ++pos_) {
                if (pos_ >= data_.size())
                    return GS1ParseStop::MissingData;
                if (!isDigit(data_[pos_]))
                    return GS1ParseStop::UnknownAi;
                row.ai += data_[pos_];
            }
            first = 1;
        }
        for (std::size_t c = first; c < format.size() && format[c].kind != GS1Kind::None; ++c) {
            row.variable = row.variable || IsVariable(format[c].kind);
            GS1ParseStop stop = IsVariable(format[c].kind) ? readVariable(row, format, c)
                                                           : readFixed(row, format[c]);
            if (stop != GS1ParseStop::End)
                return stop;
            if (IsVariable(format[c].kind))
                break;  // the components after it were taken from the end of the field
        }
        return GS1ParseStop::End;
    }

    std::size_t fixedLength(const GS1Row& row, const GS1Component& component) const {
        if (component.kind == GS1Kind::OddAlphanumeric)
            return 2 * static_cast<std::size_t>(row.ai.back() - '0') + 1;
        return component.length;
    }

    static GS1ParseStop check(std::string_view text, GS1Kind kind) {
        const bool numeric = IsNumericKind(kind);
        for (char c : text) {
            if (numeric ? !isDigit(c) : !IsGS1Character(c))
                return GS1ParseStop::BadCharacter;
        }
        return GS1ParseStop::End;
    }

    void addPart(GS1Row& row, std::string part) {
        if (row.partCount < row.parts.size())
            row.parts[row.partCount++] = std::move(part);
    }

    GS1ParseStop readFixed(GS1Row& row, const GS1Component& component) {
        const std::size_t length = fixedLength(row, component);
        if (pos_ + length > data_.size())
            return GS1ParseStop::MissingData;
        std::string_view text = std::string_view(data_).substr(pos_, length);
        if (std::any_of(text.begin(), text.end(), isSeparator))
            return GS1ParseStop::MissingData;
        if (GS1ParseStop stop = check(text, component.kind); stop != GS1ParseStop::End)
            return stop;
        addPart(row, std::string(text));
        pos_ += length;
        return GS1ParseStop::End;
    }

    // A variable-length component and the fixed components after it, which are taken from the
    // end of the field.
    GS1ParseStop readVariable(GS1Row& row, const GS1Format& format, std::size_t c) {
        std::size_t tail = 0;
        for (std::size_t t = c + 1; t < format.size() && format[t].kind != GS1Kind::None; ++t)
            tail += fixedLength(row, format[t]);
        const std::size_t longest = format[c].length + tail;
        std::size_t end = pos_;
        while (end < data_.size() && !isSeparator(data_[end]) && end - pos_ < longest)
            ++end;
        if (end < data_.size() && !isSeparator(data_[end]))
            return GS1ParseStop::TooLong;
        const std::size_t length = end - pos_;
        if (length < tail + 1)
            return GS1ParseStop::MissingData;
        std::string_view field = std::string_view(data_).substr(pos_, length);
        std::string_view head = field.substr(0, length - tail);
        if (GS1ParseStop stop = check(head, format[c].kind); stop != GS1ParseStop::End)
            return stop;
        addPart(row, std::string(head));
        std::size_t at = head.size();
        for (std::size_t t = c + 1; t < format.size() && format[t].kind != GS1Kind::None; ++t) {
            const std::size_t n = fixedLength(row, format[t]);
            std::string_view part = field.substr(at, n);
            if (GS1ParseStop stop = check(part, format[t].kind); stop != GS1ParseStop::End)
                return stop;
            addPart(row, std::string(part));
            at += n;
        }
        pos_ = end;
        return GS1ParseStop::End;
    }

    std::string data_;
    std::size_t pos_ = 0;
};

}  // namespace

bool IsSlotSet(std::string_view slot) {
    return !slot.empty() && slot.front() != '0';
}

GS1Parse ParseGS1Sample(std::string_view sample) {
    std::string data(sample.substr(0, std::min(sample.size(), kMaxGS1Sample)));
    data = data.substr(0, data.find_first_of("\r\n"));
    std::replace(data.begin(), data.end(), ' ', kGs);
    return SampleReader(std::move(data)).run();
}

}  // namespace omni::dataedit
