#pragma once

// Small helpers shared by the rendering-resource tests: a scratch folder per test, files written
// into it, images made with FreeImage and captured console output.

#include <GL/glew.h>
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/GlContext.h"

namespace fixture {

// A fresh folder under the system temp folder, removed when the object goes away.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) != nullptr) {
            path_ = name.data();
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Writes text into a file below the folder, creating sub-folders; returns the full path.
    std::string write(const std::string& name, const std::string& text) const {
        const std::string full = file(name);
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream out(full, std::ios::binary);
        out << text;
        return full;
    }

private:
    std::string path_;
};

// Runs the test body with the working directory set to a folder, and restores it afterwards.
class WorkingDir {
public:
    explicit WorkingDir(const std::string& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDir() { std::filesystem::current_path(previous_); }
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

private:
    std::filesystem::path previous_;
};

struct Rgb {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
};

// Saves a 24-bit image whose pixel (x, y), y counted from the top row, has colour at(x, y).
template <typename ColourAt>
bool saveRgbImage(const std::string& path, FREE_IMAGE_FORMAT format, int width, int height,
                  ColourAt at) {
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        // FreeImage keeps the bottom row first.
        BYTE* row = FreeImage_GetScanLine(image, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const Rgb c = at(x, y);
            row[x * 3 + FI_RGBA_RED] = c.r;
            row[x * 3 + FI_RGBA_GREEN] = c.g;
            row[x * 3 + FI_RGBA_BLUE] = c.b;
        }
    }
    const bool saved = FreeImage_Save(format, image, path.c_str(), 0) == TRUE;
    FreeImage_Unload(image);
    return saved;
}

inline bool saveSolidImage(const std::string& path, int width, int height, Rgb colour) {
    return saveRgbImage(path, FIF_BMP, width, height, [colour](int, int) { return colour; });
}

// Reads level 0 of the 2D texture back as tightly packed RGB, bottom row first.
inline std::vector<unsigned char> readTexture(unsigned int id, int& width, int& height) {
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3 + 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    pixels.pop_back();
    return pixels;
}

inline void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// Everything written to standard output between construction and text().
class StdoutCapture {
public:
    StdoutCapture() { testing::internal::CaptureStdout(); }
    std::string text() {
        std::fflush(stdout);
        done_ = true;
        return testing::internal::GetCapturedStdout();
    }
    ~StdoutCapture() {
        if (!done_) {
            testing::internal::GetCapturedStdout();
        }
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

private:
    bool done_ = false;
};

// A small OBJ with one textured quad per named material, and its material library.
inline std::string quadObj(const std::string& mtlName, const std::vector<std::string>& materials) {
    std::string text = "mtllib " + mtlName + "\n";
    text += "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    text += "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    text += "vn 0 0 1\n";
    for (size_t i = 0; i < materials.size(); ++i) {
        text += "o part" + std::to_string(i) + "\nusemtl " + materials[i] + "\n";
        text += "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
    }
    return text;
}

}  // namespace fixture
