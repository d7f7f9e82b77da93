#pragma once

#include <string>
#include <vector>

// A console program's dealings with the Windows console.

// Makes the console show what the program writes to it as UTF-8 (the
// Chinese messages, file names), for as long as the program runs; the
// console's own code page is restored at exit, so the command interpreter
// that started the program is left as it was. Output redirected to a file
// or a pipe is not affected: its bytes are UTF-8 either way.
void UseUtf8Console();

// The program's arguments, without its own name, as UTF-8: read from the
// UTF-16 command line (the narrow argv holds them in the ANSI code page,
// where a Chinese file name turns into question marks) and split by the
// system's own rules for quotes and backslashes.
std::vector<std::string> Utf8Arguments();
