#pragma once

#include <string>
#include <string_view>

// Text crosses into the Windows API as UTF-16 and comes back as the UTF-8
// every string inside Vela is. Malformed input becomes U+FFFD rather than
// an error: a file name or a message is always shown, if imperfectly.
std::wstring Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::wstring_view utf16);
