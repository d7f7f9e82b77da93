// Writes a generated building frame: make_frame STOREYS BAYS OUT.txt
#include "FrameGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_frame STOREYS BAYS OUT.txt\n");
        return 2;
    }
    const int storeys = std::atoi(argv[1]);
    const int bays = std::atoi(argv[2]);
    if (storeys < 1 || bays < 1) {
        std::fprintf(stderr, "make_frame: STOREYS and BAYS must be at least 1\n");
        return 2;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out << GenerateFrame(storeys, bays);
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_frame: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("%s: %d nodes\n", argv[3], (storeys + 1) * (bays + 1));
    return 0;
}
