#pragma once

#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

// The portal frame every reader test starts from.
std::string PortalText();

// Replaces the first occurrence of from by to; fails the test when from is
// not there (a typo in a test would otherwise test nothing).
std::string Replace(std::string text, const std::string& from, const std::string& to);

// Reads text as a Beam System File in a scratch folder.
struct ReadResult {
    bool ok = false;
    std::string message;
    int status = 0;
    StructureModel model;
};
ReadResult ReadText(const ScratchDir& dir, const std::string& text);
