#pragma once

// <windows.h> as the Windows front end includes it: every file of this
// folder includes it through here, and nothing below the front ends
// includes it at all (core's PlatformFilesWindows.cpp, the one file-system
// boundary, aside).
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// <windows.h> maps these names to their ANSI or wide functions by macro,
// which would rename the members of Vela's own classes that carry them
// (Canvas::TextOut, Platform::SetCurrentDirectory) in every file that sees
// both. The front end calls the wide functions by their full names
// (TextOutW, SetCurrentDirectoryW) instead.
#undef TextOut
#undef SetCurrentDirectory
#undef GetCurrentDirectory
#undef DrawText
#undef GetObject
