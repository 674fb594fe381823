#include "sim/dataedit_responder.h"

#include <vector>

#include "sim/control_bytes.h"
#include "sim/locked.h"

namespace omni::sim {
namespace {

constexpr char kQuote = '\'';
constexpr char kFs = 0x1C;
constexpr char kGs = 0x1D;

// The tokens of a menu command: "[" and three characters, a quoted literal (its text, with ''
// standing for one quote), or two characters. A malformed rest ends the list.
std::vector<std::string> tokensOf(std::string_view command) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < command.size()) {
        if (command[i] == '[') {
            if (i + 4 > command.size())
                break;
            tokens.emplace_back(command.substr(i, 4));
            i += 4;
        } else if (command[i] == kQuote) {
            std::string text = "'";
            std::size_t j = i + 1;
            for (; j < command.size(); ++j) {
                if (command[j] != kQuote) {
                    text += command[j];
                } else if (j + 1 < command.size() && command[j + 1] == kQuote) {
                    text += kQuote;
                    ++j;
                } else {
                    break;
                }
            }
            if (j >= command.size())
                break;
            tokens.push_back(text);
            i = j + 1;
        } else {
            if (i + 2 > command.size())
                break;
            tokens.emplace_back(command.substr(i, 2));
            i += 2;
        }
    }
    return tokens;
}

bool isDigitToken(const std::string& token) {
    return token.size() == 2 && token[0] == 'Q' && token[1] >= '0' && token[1] <= '9';
}

bool isLiteral(const std::vector<std::string>& tokens, std::size_t i) {
    return i < tokens.size() && !tokens[i].empty() && tokens[i][0] == kQuote;
}

// The digits of the digit tokens from `i` on, as a number; `i` moves past them.
int digitsFrom(const std::vector<std::string>& tokens, std::size_t& i, int most) {
    int value = -1;
    for (int n = 0; n < most && i + 1 < tokens.size() && isDigitToken(tokens[i + 1]); ++n) {
        value = (value < 0 ? 0 : value * 10) + (tokens[++i][1] - '0');
    }
    return value;
}

}  // namespace

DataEditResponder::Request DataEditResponder::apply(std::string_view command) {
    const std::vector<std::string> tokens = tokensOf(command);
    Request request;
    std::lock_guard lock(mutex_);
    std::string cut, paste;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if ((token == "[ED0" || token == "[ED1") && isLiteral(tokens, i + 1)) {
            (token == "[ED0" ? cut : paste) = tokens[++i].substr(1);
        } else if (token == "[ED2" || token == "[ED5") {
            const int number = digitsFrom(tokens, i, 1);
            if (number < 1 || number > 4)
                continue;
            if (token == "[ED2") {
                programs_[static_cast<std::size_t>(number - 1)] = {cut, paste};
                request.stored = number;
            } else {
                request.asked = number;
            }
        } else if (token == "[X/0") {
            request.gs1Start = i + 1 < tokens.size() && tokens[i + 1] == "OG";
        } else if (token == "[DKF") {
            ocr_.enabled = true;
        } else if (token == "[DKI") {
            ocr_.digits = digitsFrom(tokens, i, 2);
        } else if (token == "[DLT") {
            ocr_.font = digitsFrom(tokens, i, 1);
        } else {
            continue;
        }
        request.any = true;
    }
    return request;
}

bool DataEditResponder::handle(std::string_view command, SimulatedReader& reader) {
    const Request request = apply(command);
    if (!request.any)
        return false;
    std::string answer;
    {
        std::lock_guard lock(mutex_);
        if (request.asked) {
            const Program& p = programs_[static_cast<std::size_t>(request.asked - 1)];
            answer = p.cut + kCr + p.paste + kCr;
        }
        if (request.gs1Start && !gs1Sample_.empty()) {
            std::string sample = gs1Sample_;
            for (char& c : sample) {
                if (c == kFs || c == kGs)
                    c = ' ';
            }
            answer += sample + kCr;
        } else if (request.stored && !testSample_.empty()) {
            answer += testSample_ + kCr;
        }
    }
    if (!answer.empty())
        reader.reply(answer);
    return true;
}

DataEditResponder::Program DataEditResponder::program(int number) const {
    std::lock_guard lock(mutex_);
    if (number < 1 || number > 4)
        return {};
    return programs_[static_cast<std::size_t>(number - 1)];
}

void DataEditResponder::setProgram(int number, Program program) {
    std::lock_guard lock(mutex_);
    if (number >= 1 && number <= 4)
        programs_[static_cast<std::size_t>(number - 1)] = std::move(program);
}

DataEditResponder::OcrState DataEditResponder::ocr() const {
    return getLocked(mutex_, ocr_);
}

void DataEditResponder::setTestSample(std::string sample) {
    setLocked(mutex_, testSample_, std::move(sample));
}

void DataEditResponder::setGS1Sample(std::string sample) {
    setLocked(mutex_, gs1Sample_, std::move(sample));
}

}  // namespace omni::sim
