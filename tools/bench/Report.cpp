#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    const double position = clamped * static_cast<double>(samples.size() - 1);
    const auto below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(below + 1, samples.size() - 1);
    const double weight = position - static_cast<double>(below);
    return samples[below] + (samples[above] - samples[below]) * weight;
}

double median(const std::vector<double>& samples) {
    return percentile(samples, 0.5);
}

namespace {

std::string format(const char* pattern, double value) {
    char text[64] = {};
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string ms(double seconds) {
    return format("%.0f ms", seconds * 1000.0);
}

// "met" or the distance to the target, in the target's own terms.
std::string verdict(bool met, const std::string& distance) {
    return met ? "met" : "NOT met (" + distance + ")";
}

void writeStartup(std::ostream& out, const StartupFigures& s) {
    out << "Start-up to the first presented frame (median of " << s.runs << " runs)\n";
    const auto row = [&out](const char* name, double seconds) {
        char line[96] = {};
        std::snprintf(line, sizeof line, "  %-34s %8.1f ms\n", name, seconds * 1000.0);
        out << line;
    };
    row("process start to main", s.processToMain);
    row("window and GL context", s.windowAndContext);
    row("shader programs (compile, link)", s.shaderPrograms);
    row("models (import, buffers)", s.models);
    row("textures (decode, upload, mipmaps)", s.textures);
    row("shadow target", s.shadowTarget);
    row("first frame (incl. shader JIT)", s.firstFrame);
    row("total", s.total);
    row("bare GL context, first frame", s.bareTotal);
    const double ratio = s.bareTotal > 0.0 ? s.total / s.bareTotal : 0.0;
    out << "  game / bare: " << format("%.2f", ratio) << "x; target <= " << ms(startupTarget)
        << ": " << verdict(s.total <= startupTarget, ms(s.total - startupTarget) + " over") << "\n";
}

void writeSize(std::ostream& out, const SizeFigures& size) {
    out << "\nFrames at " << size.width << " x " << size.height
        << " (ms; clear+swap baseline median " << format("%.2f", size.clearMs) << " ms)\n";
    char header[256] = {};
    std::snprintf(header, sizeof header,
                  "  %-9s %6s %6s %6s %6s %7s %7s %6s %6s %6s %6s %5s %5s %6s %6s %6s %7s\n",
                  "level", "median", "p95", "fps", "floor", "/floor", "/clear", "draws", "tris",
                  "unif", "lookup", "new", "mallc", "updCPU", "subCPU", "frags", "target");
    out << header;
    for (const LevelFigures& l : size.levels) {
        const double fps = l.frame.medianMs > 0.0 ? 1000.0 / l.frame.medianMs : 0.0;
        const double toFloor = l.floorMs > 0.0 ? l.frame.medianMs / l.floorMs : 0.0;
        const double toClear = l.clearMs > 0.0 ? l.frame.medianMs / l.clearMs : 0.0;
        const bool met = toFloor <= floorRatioTarget && fps >= framesPerSecondTarget;
        char line[256] = {};
        std::snprintf(
            line, sizeof line,
            "  %d %-7s %6.1f %6.1f %6.1f %6.1f %6.2fx %6.1fx %6.0f %6.0f %6.0f %6.0f %5.1f "
            "%5.1f %6.2f %6.2f %6.2f %7s\n",
            l.level, l.culling ? "cull" : "all", l.frame.medianMs, l.frame.p95Ms, fps, l.floorMs,
            toFloor, toClear, l.drawCalls, l.triangles, l.uniformUploads, l.uniformLookups,
            l.allocations, l.driverMallocs, l.updateCpuMs, l.submitCpuMs, l.shadedPerPixel,
            met ? "met" : "no");
        out << line;
    }
    out << "  where the time goes (ms; timer query / main-thread CPU per pass, then swap+poll "
           "wall / CPU):\n";
    char splitHeader[256] = {};
    std::snprintf(splitHeader, sizeof splitHeader, "  %-9s %13s %13s %13s %13s %13s %6s\n", "level",
                  "shadow", "pre-pass", "main", "env-mapped", "swap", "on<=off");
    out << splitHeader;
    for (const LevelFigures& l : size.levels) {
        // Culling on is never to be slower than off in the same level.
        std::string onVersusOff = "";
        if (l.culling) {
            onVersusOff = "?";
            for (const LevelFigures& off : size.levels) {
                if (!off.culling && off.level == l.level) {
                    onVersusOff = l.frame.medianMs <= off.frame.medianMs ? "yes" : "NO";
                }
            }
        }
        char line[256] = {};
        std::snprintf(line, sizeof line,
                      "  %d %-7s %6.1f/%6.2f %6.1f/%6.2f %6.1f/%6.2f %6.1f/%6.2f %6.1f/%6.2f %6s\n",
                      l.level, l.culling ? "cull" : "all", l.passGpuMs[0], l.passCpuMs[0],
                      l.passGpuMs[1], l.passCpuMs[1], l.passGpuMs[2], l.passCpuMs[2],
                      l.passGpuMs[3], l.passCpuMs[3], l.presentMs, l.presentCpuMs,
                      onVersusOff.c_str());
        out << line;
    }
}

}  // namespace

void writeReport(std::ostream& out, const StartupFigures& startup,
                 const std::vector<SizeFigures>& sizes) {
    writeStartup(out, startup);
    for (const SizeFigures& size : sizes) {
        writeSize(out, size);
    }
    out << "\nColumns: median and p95 frame time; floor = one full-window pass of the main "
           "fragment program\nplus a 900 x 900 depth pass of the level's shadow triangle count, "
           "measured in the same run;\n/floor and /clear = median over those baselines; draws, "
           "tris (triangles handed to the\ndriver by all passes), unif (uniform uploads), lookup "
           "(uniform location look-ups), new\n(operator new) and "
           "mallc (malloc, any thread, driver\nincluded) per steady frame; updCPU and subCPU = "
           "main-thread CPU ms of the update and of the\npasses' submission (rasteriser threads "
           "excluded); frags = main-pass fragment shader runs\nper window pixel as the driver "
           "counts them (whole blocks: the floor's one quad reads about 2);\ntarget = within "
        << format("%.2f", floorRatioTarget) << "x the floor and at least "
        << format("%.0f", framesPerSecondTarget)
        << " fps.\nWhere the time goes: each pass's GL timer query (the rasteriser's time from the "
           "pass's\nfirst to its last command; the main pass also holds the window's clear) and "
           "the "
           "main thread's\nCPU time submitting it; swap = the swap and event poll, wall and CPU "
           "(the swap waits for\nthe rasteriser); on<=off = culling on no slower than off.\n";
}

std::string encodeLevel(const LevelFigures& l) {
    std::ostringstream line;
    line.precision(9);
    line << "level " << l.level << ' ' << (l.culling ? 1 : 0) << ' ' << l.frame.medianMs << ' '
         << l.frame.p95Ms << ' ' << l.frame.frames << ' ' << l.drawCalls << ' ' << l.triangles
         << ' ' << l.uniformUploads << ' ' << l.uniformLookups << ' ' << l.allocations << ' '
         << l.driverMallocs << ' ' << l.updateCpuMs << ' ' << l.submitCpuMs << ' '
         << l.shadedPerPixel << ' ' << l.clearMs << ' ' << l.floorMs << ' ' << l.shadowTriangles;
    for (int pass = 0; pass < 4; ++pass) {
        line << ' ' << l.passGpuMs[pass] << ' ' << l.passCpuMs[pass];
    }
    line << ' ' << l.presentMs << ' ' << l.presentCpuMs;
    return line.str();
}

bool decodeLevel(const std::string& line, LevelFigures& l) {
    std::istringstream in(line);
    std::string tag;
    int culling = 0;
    in >> tag >> l.level >> culling >> l.frame.medianMs >> l.frame.p95Ms >> l.frame.frames >>
        l.drawCalls >> l.triangles >> l.uniformUploads >> l.uniformLookups >> l.allocations >>
        l.driverMallocs >> l.updateCpuMs >> l.submitCpuMs >> l.shadedPerPixel >> l.clearMs >>
        l.floorMs >> l.shadowTriangles;
    for (int pass = 0; pass < 4; ++pass) {
        in >> l.passGpuMs[pass] >> l.passCpuMs[pass];
    }
    in >> l.presentMs >> l.presentCpuMs;
    l.culling = culling != 0;
    return !in.fail() && tag == "level";
}
