#pragma once

#include <string>
#include <string_view>

// Every number the program writes to a file goes through these functions, so
// that files are identical on every platform. The format is that of a C++
// stream in its default state on the runtime the files were always written
// with: six significant digits, %g's choice between fixed and exponent
// notation, no trailing zeros, an exponent with a sign and at least three
// digits (1e-019, 1.5e-005, 1.23457e+006). Rounding to six digits is done on
// the value's 17-significant-digit decimal expansion, ties away from zero
// (1228.125 -> 1228.13).

std::string FormatNumber(double value);

// Writes the text into buffer (at least kNumberBufferSize characters, no
// terminating NUL) and returns its length. Allocates nothing.
inline constexpr int kNumberBufferSize = 32;
int FormatNumberTo(char* buffer, double value);

// The same text, always by rounding the full 17-digit expansion: the
// definition the fast path of FormatNumberTo is checked against.
int FormatNumberByExpansionTo(char* buffer, double value);

// Appends FormatNumber(value) to out.
void AppendNumber(std::string& out, double value);

// Appends text right-aligned in a field of the given width (setw semantics:
// a longer text is written whole).
void AppendField(std::string& out, std::string_view text, int width);
void AppendNumberField(std::string& out, double value, int width);
void AppendIntField(std::string& out, long long value, int width);
