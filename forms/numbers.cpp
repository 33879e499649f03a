// numbers.cpp: rounding, integer conversion and the leading-number reader.
#include "forms/numbers.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <limits>

namespace forms {

namespace {

// Rounds halves to even without depending on the floating-point rounding mode.
double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction != 0.5)
        return fraction > 0.5 ? down + 1.0 : down;
    const double half = down * 0.5;   // exact: down is a whole number
    return std::floor(half) == half ? down : down + 1.0;
}

template <typename Int>
std::optional<Int> roundTo(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(rounded);
}

bool isIgnored(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "&H1F" and "&O17": up to 32 bits; four hex or six octal digits or fewer give a
// 16-bit value, so "&HFFFF" is -1 while "&H10000" is 65536.
double radixValue(std::string_view digits, int radix)
{
    std::uint64_t value = 0;
    std::size_t used = 0;
    for (char c : digits) {
        int digit = -1;
        if (isDigit(c))
            digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        value = (value * std::uint64_t(radix) + std::uint64_t(digit)) & 0xFFFFFFFFu;
        ++used;
    }
    const bool shortForm = radix == 16 ? used <= 4 : used <= 6;
    if (shortForm && value <= 0xFFFFu)
        return double(std::int16_t(std::uint16_t(value)));
    return double(std::int32_t(std::uint32_t(value)));
}

} // namespace

std::optional<std::int32_t> ToLong(double value) { return roundTo<std::int32_t>(value); }
std::optional<std::int16_t> ToInteger(double value) { return roundTo<std::int16_t>(value); }

std::optional<double> Val(std::string_view text)
{
    std::string squeezed;
    squeezed.reserve(text.size());
    for (char c : text) {
        if (!isIgnored(c))
            squeezed.push_back(c);
    }

    if (squeezed.size() >= 2 && squeezed[0] == '&') {
        const char kind = char(squeezed[1] | 0x20);
        if (kind == 'h')
            return radixValue(std::string_view(squeezed).substr(2), 16);
        if (kind == 'o')
            return radixValue(std::string_view(squeezed).substr(2), 8);
    }

    // Copy the longest prefix that forms a number into the form from_chars reads,
    // noting the decimal magnitude so that an out-of-range result can be told apart.
    std::string number;
    std::size_t i = 0;
    bool negative = false;
    if (i < squeezed.size() && (squeezed[i] == '+' || squeezed[i] == '-'))
        negative = squeezed[i++] == '-';
    bool anyDigit = false;
    long magnitude = 0; // decimal digits before the point, or minus the zeros after it
    bool significant = false;
    for (; i < squeezed.size() && isDigit(squeezed[i]); ++i) {
        anyDigit = true;
        significant = significant || squeezed[i] != '0';
        magnitude += significant ? 1 : 0;
        number.push_back(squeezed[i]);
    }
    if (i < squeezed.size() && squeezed[i] == '.') {
        number.push_back('.');
        for (++i; i < squeezed.size() && isDigit(squeezed[i]); ++i) {
            anyDigit = true;
            if (!significant && squeezed[i] == '0')
                --magnitude;
            significant = significant || squeezed[i] != '0';
            number.push_back(squeezed[i]);
        }
    }
    if (!anyDigit)
        return 0.0;
    if (i < squeezed.size() && ((squeezed[i] | 0x20) == 'e' || (squeezed[i] | 0x20) == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < squeezed.size() && (squeezed[j] == '+' || squeezed[j] == '-'))
            exponent.push_back(squeezed[j++]);
        long exponentValue = 0;
        const std::size_t firstDigit = j;
        for (; j < squeezed.size() && isDigit(squeezed[j]); ++j) {
            exponent.push_back(squeezed[j]);
            exponentValue = std::min(exponentValue * 10 + (squeezed[j] - '0'), 100000L);
        }
        if (j > firstDigit) {
            number += exponent;
            magnitude += exponent[1] == '-' ? -exponentValue : exponentValue;
        }
    }

    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0 && significant)
            return std::nullopt; // too large for a double
        value = 0.0;             // too small: reads as zero
    } else {
        assert(error == std::errc() && end == number.data() + number.size());
    }
    return negative ? -value : value;
}

std::string DecimalText(std::int32_t value)
{
    assert(value >= 0);
    return std::to_string(value);
}

int TwipsToPixels(double twips)
{
    const auto pixels = ToLong(twips / TwipsPerPixel);
    assert(pixels);
    return *pixels;
}

} // namespace forms
