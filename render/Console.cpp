#include "render/Console.h"

#include <cstdio>
#include <cstdlib>

void pauseAndExit() {
    std::fputs("Press Enter to continue . . . ", stdout);
    std::fflush(stdout);
    // One line or the end of input: a closed or redirected standard input must not keep a
    // failed start-up waiting forever. The dialogue has taken the rest of its own last line.
    int c = 0;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
    std::exit(1);
}
