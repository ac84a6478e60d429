// lapora_jetread FILE [TABLE]: reads another program's Jet file for Lapora, in a process of its own, so
// that a damaged file that crashes or hangs the Jet library cannot take the program with it. Writes the
// stream described in JetStream.h on standard output.
#include "JetReader.h"
#include "JetStream.h"

#include <unistd.h>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: lapora_jetread FILE [TABLE]\n", stderr);
        return 2;
    }
    int status = 0;
    {
        lapora::jetread::Out out(1);
        try {
            lapora::jetread::run(argv[1], argc == 3 ? argv[2] : nullptr, out);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            status = lapora::jetstream::kRefused;
        }
        out.flush();
    }
    // One read, then gone: what libmdb left allocated goes with the process, and no exit-time leak check
    // (in a sanitizer build) turns a good read into a failed one.
    std::fflush(stderr);
    _exit(status);
}
