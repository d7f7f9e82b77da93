#pragma once

#include <string>
#include <string_view>

// The program speaks Chinese in its message boxes, as it always has; every
// box adds an English line under the program's own words, so that the same
// box reads for everyone on every platform.

// The English of one of the program's own texts (one line, as a message
// starts), or an empty string for a text that is plain ASCII (English
// already) or not the program's.
std::string EnglishFor(std::string_view text);

// A message as a box shows it: its first line kept exactly, then that
// line's English, then the rest of the message (its English details). A
// message without a translation is returned as it is.
std::string WithEnglish(const std::string& message);
