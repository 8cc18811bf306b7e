#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The benchmark's arithmetic and its table: plain data in, text out, no GL.

// The value below which the given fraction (0..1) of the samples lies, interpolating between
// neighbours; 0 for no samples. The samples need not be sorted.
double percentile(std::vector<double> samples, double fraction);
double median(const std::vector<double>& samples);

// Start-up, from process start to the first presented frame, in seconds; medians of repeated runs.
struct StartupFigures {
    double processToMain = 0.0;
    double windowAndContext = 0.0;
    double shaderPrograms = 0.0;
    double models = 0.0;
    double textures = 0.0;
    double shadowTarget = 0.0;
    double firstFrame = 0.0;
    double total = 0.0;
    // A program that only opens the same kind of window and presents one cleared frame.
    double bareTotal = 0.0;
    int runs = 0;
};

// One measured frame kind at one window size, in milliseconds.
struct FrameFigures {
    std::string label;
    double medianMs = 0.0;
    double p95Ms = 0.0;
    int frames = 0;
};

// A level at one window size, with culling off or on, beside the baselines of the same run.
struct LevelFigures {
    int level = 0;
    bool culling = false;
    FrameFigures frame;
    // Per steady frame.
    double drawCalls = 0.0;
    // Triangles submitted by every pass's draws.
    double triangles = 0.0;
    double uniformUploads = 0.0;
    double uniformLookups = 0.0;
    double allocations = 0.0;
    double driverMallocs = 0.0;
    double updateCpuMs = 0.0;
    double submitCpuMs = 0.0;
    // Fragment shader runs of the main and shadow passes over the window's pixel count.
    double shadedPerPixel = 0.0;
    // Medians of the baselines of this level's pose.
    double clearMs = 0.0;
    double floorMs = 0.0;
    long shadowTriangles = 0;
    // Medians per pass (shadow, depth pre-pass, main, environment-mapped): the GL timer query's
    // time and the main thread's CPU time of submitting it; then the swap and event poll.
    double passGpuMs[4] = {0.0, 0.0, 0.0, 0.0};
    double passCpuMs[4] = {0.0, 0.0, 0.0, 0.0};
    double presentMs = 0.0;
    double presentCpuMs = 0.0;
};

struct SizeFigures {
    int width = 0;
    int height = 0;
    double clearMs = 0.0;
    std::vector<LevelFigures> levels;
};

// The targets the table marks: frame time within this multiple of the shading floor, at least
// this many frames per second, start-up within this many seconds.
constexpr double floorRatioTarget = 1.15;
constexpr double framesPerSecondTarget = 30.0;
constexpr double startupTarget = 0.6;

// Writes the whole table.
void writeReport(std::ostream& out, const StartupFigures& startup,
                 const std::vector<SizeFigures>& sizes);

// One line "key value" per figure, and the reverse, for passing figures between processes.
std::string encodeLevel(const LevelFigures& level);
bool decodeLevel(const std::string& line, LevelFigures& level);
