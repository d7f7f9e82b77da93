#include "core/NumberFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// A small output cursor over a caller's buffer of at least 32 characters:
// the longest text written is "-1.23457e-308" (13 characters).
struct Cursor {
    char* p;
    void Put(char c) { *p++ = c; }
    void Put(const char* s)
    {
        while (*s)
            *p++ = *s++;
    }
    void Put(const char* s, int n)
    {
        for (int i = 0; i < n; ++i)
            *p++ = s[i];
    }
};

// The exponent of any double has at most three digits, so "at least
// three" is exactly three.
void PutExponent(Cursor& out, int exponent)
{
    const int e = exponent < 0 ? -exponent : exponent;
    out.Put('e');
    out.Put(exponent < 0 ? '-' : '+');
    out.Put(static_cast<char>('0' + e / 100));
    out.Put(static_cast<char>('0' + e / 10 % 10));
    out.Put(static_cast<char>('0' + e % 10));
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

// The six significant digits of a positive finite value and the decimal
// exponent of the first, by the definition: the 17-significant-digit
// expansion, rounded to six digits with the tie (and everything above it)
// away from zero.
void SixDigitsByExpansion(double magnitude, char six[6], int& exponent)
{
    // d.dddddddddddddddde[+-]x
    char expansion[40];
    auto result = std::to_chars(expansion, expansion + sizeof expansion, magnitude, std::chars_format::scientific, 16);
    char digits[17];
    int count = 0;
    const char* p = expansion;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), result.ptr, exponent);

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
}

// 10^p for p = -45 .. 50, each the double nearest to it (exact up to 1e22).
constexpr int kPow10First = -45;
constexpr double kPow10[] = {
    1e-45, 1e-44, 1e-43, 1e-42, 1e-41, 1e-40, 1e-39, 1e-38, 1e-37, 1e-36, 1e-35, 1e-34, 1e-33, 1e-32, 1e-31, 1e-30,
    1e-29, 1e-28, 1e-27, 1e-26, 1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14,
    1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,
    1e3,   1e4,   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,
    1e19,  1e20,  1e21,  1e22,  1e23,  1e24,  1e25,  1e26,  1e27,  1e28,  1e29,  1e30,  1e31,  1e32,  1e33,  1e34,
    1e35,  1e36,  1e37,  1e38,  1e39,  1e40,  1e41,  1e42,  1e43,  1e44,  1e45,  1e46,  1e47,  1e48,  1e49,  1e50};

double Pow10(int p)
{
    return kPow10[p - kPow10First];
}

// The same six digits and exponent as SixDigitsByExpansion, found with a
// few floating-point operations instead of the 17-digit expansion; false
// when the value lies too close to a rounding boundary to tell (a few in a
// billion), or outside the range this covers.
//
// Scaled to s = magnitude * 10^(5 - k) in [1e5, 1e6), the six digits are
// floor(s) rounded up exactly when the expansion's seventh digit is 5 or
// more. The expansion has eleven more digits than s has before its point,
// so that happens when frac(s) >= 0.5 - 0.5e-11 (a value just below the
// tie whose expansion rounds up to it counts as the tie). The scaled value
// carries two roundings (of the power of ten and of the product), under
// 2.5e-10 in all, so a fraction farther than 2e-9 from that threshold
// decides the digits for certain; an error near an integer does not
// matter, because the rounded digits do not jump there. The same holds
// across a power of ten, where the carry gives 1e+006 whichever side of it
// s fell, and a k that is one off leaves s outside the range and falls
// back.
bool SixDigitsFast(double magnitude, char six[6], int& exponent)
{
    if (!(magnitude >= 1e-38 && magnitude < 1e48)) [[unlikely]]
        return false;
    // magnitude = m * 2^b with 1 <= m < 2, so floor(log10(magnitude)) is
    // floor(b * log10(2)) or one more (78913 / 2^18 is log10(2) to 1e-6,
    // exact enough for |b| < 200).
    const int b = static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    int k = (b * 78913) >> 18;
    k += magnitude >= Pow10(k + 1) ? 1 : 0;
    const double s = magnitude * Pow10(5 - k);
    // s is positive and below 2e6: truncation is floor.
    const long whole = static_cast<long>(s);
    const double fraction = s - static_cast<double>(whole);
    constexpr double kThreshold = 0.5 - 0.5e-11;
    if (!(std::fabs(fraction - kThreshold) > 2e-9)) [[unlikely]]
        return false;
    long digits = whole + (fraction > kThreshold ? 1 : 0);
    if (digits == 1000000) {
        digits = 100000;
        ++k;
    }
    if (digits < 100000 || digits > 999999) [[unlikely]]
        return false;
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    const long hi = digits / 10000, mid = digits / 100 % 100, lo = digits % 100;
    six[0] = kPairs[2 * hi];
    six[1] = kPairs[2 * hi + 1];
    six[2] = kPairs[2 * mid];
    six[3] = kPairs[2 * mid + 1];
    six[4] = kPairs[2 * lo];
    six[5] = kPairs[2 * lo + 1];
    exponent = k;
    return true;
}

// The text of a non-finite value or a zero; 0 for any other value.
int PutSpecial(Cursor& out, double value)
{
    char* const start = out.p;
    if (std::isnan(value))
        out.Put(std::signbit(value) ? "-nan" : "nan");
    else if (std::isinf(value))
        out.Put(value < 0 ? "-inf" : "inf");
    else if (value == 0)
        out.Put(std::signbit(value) ? "-0" : "0");
    return static_cast<int>(out.p - start);
}

// %g's layout of six significant digits with the exponent of the first.
void PutGeneral(Cursor& out, bool negative, const char six[6], int exponent)
{
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
}

} // namespace

int FormatNumberTo(char* buffer, double value)
{
    Cursor out{buffer};
    if (const int length = PutSpecial(out, value))
        return length;
    const double magnitude = std::fabs(value);
    char six[6];
    int exponent = 0;
    if (!SixDigitsFast(magnitude, six, exponent))
        SixDigitsByExpansion(magnitude, six, exponent);
    PutGeneral(out, value < 0, six, exponent);
    return static_cast<int>(out.p - buffer);
}

int FormatNumberByExpansionTo(char* buffer, double value)
{
    Cursor out{buffer};
    if (const int length = PutSpecial(out, value))
        return length;
    char six[6];
    int exponent = 0;
    SixDigitsByExpansion(std::fabs(value), six, exponent);
    PutGeneral(out, value < 0, six, exponent);
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
