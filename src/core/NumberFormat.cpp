#include "core/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// A small output cursor over a caller's buffer of at least 32 characters:
// the longest text written is "-1.23457e-308" (13 characters).
struct Cursor {
    char* p;
    void Put(char c) { *p++ = c; }
    void Put(const char* s) { while (*s) *p++ = *s++; }
    void Put(const char* s, int n) { for (int i = 0; i < n; ++i) *p++ = s[i]; }
};

void PutExponent(Cursor& out, int exponent)
{
    out.Put('e');
    out.Put(exponent < 0 ? '-' : '+');
    char digits[8];
    auto result = std::to_chars(digits, digits + sizeof digits, std::abs(exponent));
    for (long pad = 3 - (result.ptr - digits); pad > 0; --pad)
        out.Put('0');
    out.Put(digits, static_cast<int>(result.ptr - digits));
}

// Writes "." and the digits without their trailing zeros, or nothing when
// every digit is zero.
void PutTrimmedFraction(Cursor& out, const char* digits, int count)
{
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count > 0) {
        out.Put('.');
        out.Put(digits, count);
    }
}

} // namespace

int FormatNumberTo(char* buffer, double value)
{
    Cursor out{buffer};
    if (std::isnan(value)) {
        out.Put(std::signbit(value) ? "-nan" : "nan");
        return static_cast<int>(out.p - buffer);
    }
    if (std::isinf(value)) {
        out.Put(value < 0 ? "-inf" : "inf");
        return static_cast<int>(out.p - buffer);
    }
    if (value == 0) {
        out.Put(std::signbit(value) ? "-0" : "0");
        return static_cast<int>(out.p - buffer);
    }

    // The 17-significant-digit expansion: d.dddddddddddddddde[+-]x
    char expansion[40];
    auto result = std::to_chars(expansion, expansion + sizeof expansion, value, std::chars_format::scientific, 16);
    const char* p = expansion;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[17];
    int count = 0;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);

    // Six significant digits, the tie (and everything above it) away from zero.
    char six[6];
    for (int i = 0; i < 6; ++i)
        six[i] = digits[i];
    if (digits[6] >= '5') {
        int i = 5;
        while (i >= 0 && six[i] == '9')
            six[i--] = '0';
        if (i >= 0) {
            ++six[i];
        } else {
            six[0] = '1';
            ++exponent;
        }
    }

    if (negative)
        out.Put('-');
    if (exponent < -4 || exponent >= 6) {
        out.Put(six[0]);
        PutTrimmedFraction(out, six + 1, 5);
        PutExponent(out, exponent);
    } else if (exponent >= 0) {
        out.Put(six, exponent + 1);
        PutTrimmedFraction(out, six + exponent + 1, 5 - exponent);
    } else {
        // 0.000ddddd: at most three zeros after the point, then the digits.
        char fraction[9] = {'0', '0', '0'};
        const int zeros = -exponent - 1;
        for (int i = 0; i < 6; ++i)
            fraction[zeros + i] = six[i];
        out.Put('0');
        PutTrimmedFraction(out, fraction, zeros + 6);
    }
    return static_cast<int>(out.p - buffer);
}

void AppendNumber(std::string& out, double value)
{
    char buffer[kNumberBufferSize];
    out.append(buffer, static_cast<std::size_t>(FormatNumberTo(buffer, value)));
}

std::string FormatNumber(double value)
{
    std::string text;
    AppendNumber(text, value);
    return text;
}

void AppendField(std::string& out, std::string_view text, int width)
{
    if (static_cast<long>(text.size()) < width)
        out.append(static_cast<std::size_t>(width) - text.size(), ' ');
    out += text;
}

void AppendNumberField(std::string& out, double value, int width)
{
    char buffer[kNumberBufferSize];
    const int length = FormatNumberTo(buffer, value);
    AppendField(out, std::string_view(buffer, static_cast<std::size_t>(length)), width);
}

void AppendIntField(std::string& out, long long value, int width)
{
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendField(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), width);
}
