#pragma once

// The passes of one rendered frame, in the order they run.
enum class FramePass { shadow, depthPrepass, main, environment };
constexpr int framePassCount = 4;

// Told where each pass of a frame begins and ends, so the benchmark can time the game's own passes
// without restating them. The game installs none.
struct PassObserver {
    void (*begin)(FramePass pass);
    void (*end)(FramePass pass);
};

// Null unless a tool installs one.
extern const PassObserver* passObserver;
