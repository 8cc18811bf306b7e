#pragma once

#include <string>
#include <vector>

#include "support/Process.h"

// A private copy of the game's run directory (shaders, Meshes/, Textures/), so a test can break
// one data file and start the real binary on it without touching the shared data; or, without the
// game's data, an empty folder. Removed with the object.
class ScratchRun {
public:
    explicit ScratchRun(bool withGameData = true);
    ~ScratchRun();
    ScratchRun(const ScratchRun&) = delete;
    ScratchRun& operator=(const ScratchRun&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }
    // The bytes of a file of the pristine run directory.
    static std::string original(const std::string& relative);
    // Writes the file (and the folders it lies in) in place of what was there; returns its path.
    std::string write(const std::string& relative, const std::string& bytes) const;

    // The game binary started with this copy as its working directory.
    ProcessOptions gameOptions(const std::vector<std::string>& arguments = {}) const;

private:
    std::string path_;
};

// Breaks a file of the copy the way a data file goes bad on a player's disk: "missing", "empty",
// "truncated" (its first half), "garbage" (fixed pseudo-random bytes, the same in every run),
// "folder" (a folder in its place), "pixmap" (a binary pixmap, which no data of ours is saved as),
// or the name of another data file, whose bytes take its place.
void breakFile(const ScratchRun& run, const std::string& relative, const std::string& fault);

// The console output of a game run without what a healthy run writes anyway: the dialogue's
// prompts and the statistics lines. What is left is one entry per line.
std::vector<std::string> unexpectedLines(const std::string& out);
