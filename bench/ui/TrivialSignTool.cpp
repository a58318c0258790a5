// The least a signing tool can do: say it signed the last file named.
#include <cstdio>

int main(int argc, char** argv) {
    std::printf("Successfully signed: %s\n", argc > 1 ? argv[argc - 1] : "");
    return 0;
}
