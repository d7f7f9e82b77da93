#pragma once

#include <string>

// A regular building frame as a Beam System File: `storeys` storeys of
// `bays` bays, fixed column bases, a lateral load at each floor and a
// uniform load on every beam. It has (storeys + 1) * (bays + 1) nodes.
std::string GenerateFrame(int storeys, int bays, double storeyHeight = 3.5, double bayWidth = 6.0);
