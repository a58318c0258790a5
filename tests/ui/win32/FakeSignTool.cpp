// A stand-in for signtool.exe in the end-to-end tests: it prints the texts the
// real tool prints and signs nothing. The file to sign is the last argument; a
// file whose name contains "bad" fails, one containing "warn" also warns, and
// one containing "nul" has a NUL byte in the middle of its output.
#include <cstdio>
#include <cstring>

int main(int Count, char** Arguments) {
    if (Count < 3 || std::strcmp(Arguments[1], "sign") != 0) {
        std::fprintf(stderr, "SignTool Error: A required parameter is missing.\n");
        return 1;
    }
    const char* File = Arguments[Count - 1];
    std::printf("Done Adding Additional Store\n");
    std::fflush(stdout);
    if (std::strstr(File, "bad")) {
        std::fprintf(
            stderr,
            "SignTool Error: An unexpected internal error has occurred.\n"
            "Error information: \"Error: SignerSign() failed.\" (-2147024885/0x8007000b)\n");
        return 1;
    }
    if (std::strstr(File, "nul"))
        std::fwrite("Signer\0details\n", 1, 15, stdout);
    if (std::strstr(File, "warn"))
        std::printf("SignTool Warning: Signing succeeded, but the signer's certificate is not "
                    "valid for signing.\n");
    std::printf("Successfully signed: %s\n", File);
    return 0;
}
