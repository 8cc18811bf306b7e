#include "render/Console.h"

#include <poll.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Input that can be read without waiting: bytes the C library has already buffered, or bytes
// (or the end of input) waiting at the descriptor.
bool inputPending() {
#if defined(__GLIBC__)
    if (stdin->_IO_read_ptr < stdin->_IO_read_end) {
        return true;
    }
#elif defined(__APPLE__)
    if (stdin->_r > 0) {
        return true;
    }
#endif
    pollfd descriptor{0, POLLIN, 0};
    return poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLIN | POLLHUP)) != 0;
}

// The dialogue reads numbers and leaves the rest of the last answer's line (at least its line
// end) behind; taken for the pause's line, it would end the pause at once. Drops what is pending
// of that line, never waiting for more and never reading past its end.
void discardRestOfLine() {
    while (inputPending()) {
        const int c = std::getchar();
        if (c == '\n' || c == EOF) {
            return;
        }
    }
}

}  // namespace

void pauseAndExit() {
    discardRestOfLine();
    std::fputs("Press Enter to continue . . . ", stdout);
    std::fflush(stdout);
    // One line or the end of input: a closed or redirected standard input must not keep a
    // failed start-up waiting forever.
    int c = 0;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
    std::exit(1);
}
