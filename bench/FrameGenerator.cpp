#include "FrameGenerator.h"

#include <string>

std::string GenerateFrame(int storeys, int bays, double storeyHeight, double bayWidth)
{
    const int perLevel = bays + 1;
    const int nodes = (storeys + 1) * perLevel;
    auto node = [perLevel](int level, int column) { return level * perLevel + column; };

    std::string text;
    text.reserve(static_cast<std::size_t>(nodes) * 64);
    text += "### Vela release=1.07\nBeam\nNumber of element property:NEP=2\n";
    text += "columns\nE=2.1e8\nA=0.02\nI=2.0e-4\n";
    text += "beams\nE=2.1e8\nA=0.015\nI=3.0e-4\n";

    text += "Number of nodal points in the structure:NPOIN=" + std::to_string(nodes) + "\n";
    for (int level = 0; level <= storeys; ++level)
        for (int column = 0; column <= bays; ++column)
            text += std::to_string(node(level, column)) + ":" + std::to_string(column * bayWidth) + "," +
                    std::to_string(level * storeyHeight) + "\n";

    const int columns = storeys * perLevel;
    const int beams = storeys * bays;
    text += "Number of elements in the structure:NELEM=" + std::to_string(columns + beams) + "\n";
    int e = 0;
    for (int level = 0; level < storeys; ++level)
        for (int column = 0; column <= bays; ++column)
            text += std::to_string(e++) + ":" + std::to_string(node(level, column)) + "," +
                    std::to_string(node(level + 1, column)) + ",0\n";
    for (int level = 1; level <= storeys; ++level)
        for (int column = 0; column < bays; ++column)
            text += std::to_string(e++) + ":" + std::to_string(node(level, column)) + "," +
                    std::to_string(node(level, column + 1)) + ",1\n";

    text += "Number of restricted nodal points:NRN=" + std::to_string(perLevel) + "\n";
    for (int column = 0; column <= bays; ++column)
        text += std::to_string(node(0, column)) + ":1 1 1\n";

    text += "Number of force_2d:NFOR=" + std::to_string(storeys) + "\n";
    for (int level = 1; level <= storeys; ++level)
        text += std::to_string(node(level, 0)) + ":<10,0,0>\n";

    text += "Number of distributed load:NDIS=" + std::to_string(beams) + "\n";
    for (int b = 0; b < beams; ++b)
        text += std::to_string(columns + b) + ":-20,-20\n";

    text += "Number of prescribed nodal points:NPRESC=0\n";
    text += "Number of Spring_2ds:NSPR=0\n";
    text += "Number of Torsional_Spring_2ds:NTSPR=0\n";
    return text;
}
