#include "device/NaturalOrder.h"

#include <cctype>

namespace {

bool isDigit(char character) {
    return std::isdigit(static_cast<unsigned char>(character)) != 0;
}

// The digit run at the front of text, and text advanced past it.
std::string_view takeDigits(std::string_view& text) {
    std::size_t length = 0;
    while (length < text.size() && isDigit(text[length])) {
        ++length;
    }
    const std::string_view digits = text.substr(0, length);
    text.remove_prefix(length);
    return digits;
}

std::string_view withoutLeadingZeros(std::string_view digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
}

} // namespace

bool naturalLess(std::string_view left, std::string_view right) {
    std::string_view restLeft = left;
    std::string_view restRight = right;
    while (!restLeft.empty() && !restRight.empty()) {
        if (isDigit(restLeft.front()) && isDigit(restRight.front())) {
            const std::string_view numberLeft = withoutLeadingZeros(takeDigits(restLeft));
            const std::string_view numberRight = withoutLeadingZeros(takeDigits(restRight));
            if (numberLeft.size() != numberRight.size()) {
                return numberLeft.size() < numberRight.size();
            }
            if (numberLeft != numberRight) {
                return numberLeft < numberRight;
            }
            continue;
        }
        if (restLeft.front() != restRight.front()) {
            return restLeft.front() < restRight.front();
        }
        restLeft.remove_prefix(1);
        restRight.remove_prefix(1);
    }
    if (restLeft.empty() != restRight.empty()) {
        return restLeft.empty();
    }
    return left < right;
}
