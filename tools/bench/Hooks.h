#pragma once

#include <cstdint>

// Instruments built only into the benchmark: a counting allocator, counters of the GL calls a frame
// makes and accumulated time spent decoding and uploading images and building shader programs.
// Everything counts from process start; callers take differences around what they measure.

struct CallCounts {
    // operator new calls (every form): the C++ heap allocations of our code and libstdc++.
    std::int64_t news = 0;
    // malloc, calloc and realloc calls on any thread, the GL driver's included.
    std::int64_t mallocs = 0;
    std::int64_t drawCalls = 0;
    std::int64_t uniformUploads = 0;
    std::int64_t uniformLookups = 0;
    // Triangles submitted by draw calls of the shadow pass (see countShadowPassTriangles).
    std::int64_t shadowTriangles = 0;
    std::int64_t triangles = 0;
};

CallCounts callCounts();
// Told by the pass observer when the shadow pass begins (true) and ends (false).
void countShadowPassTriangles(bool on);
CallCounts operator-(const CallCounts& later, const CallCounts& earlier);

// Wraps the loader's entry points for uniform uploads and look-ups, program builds and mipmap
// generation. Call once, after the GL loader ran.
void installGlHooks();

// Seconds spent so far inside image decoding and texture upload calls, and inside shader compiles
// and links.
double textureSeconds();
double shaderSeconds();
// Monotonic time of the first framebuffer name request, 0 before it (the shadow target is the
// only framebuffer the start-up makes).
double firstFramebufferTime();

// Seconds on a monotonic clock shared by every process of the machine.
double monotonicSeconds();
// CPU seconds used by the calling thread.
double threadCpuSeconds();
