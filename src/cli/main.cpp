#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vela-cli %s\n", VELA_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: vela-cli solve FILE [-C DIR]\n");
    return 2;
}
