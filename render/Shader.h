#pragma once

#include <array>
#include <string>

// One linked program of a vertex and a fragment shader compiled from source files in the working
// directory. Any failure reports on standard error, waits for the console pause and exits with
// status 1, so a Shader that exists is always fully linked.
class Shader {
public:
    Shader(const std::string& vertexPath, const std::string& fragmentPath);
    // The vertex stage from its file, the fragment stage from source text of the program's own.
    struct FragmentText {
        const char* source;
    };
    Shader(const std::string& vertexPath, FragmentText fragment);
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // The location of a uniform of this program. Each name is looked up once and kept, so the
    // passes upload by name every frame without a look-up; the program never relinks, so a kept
    // location stays what a fresh look-up would return.
    int uniformLocation(const char* name) const;

    unsigned int programId = 0;
    unsigned int vertexShaderId = 0;
    unsigned int fragmentShaderId = 0;

private:
    // Room for every uniform the passes upload; longer names or further names are looked up each
    // time.
    struct KeptLocation {
        std::array<char, 32> name{};
        int location = -1;
    };
    mutable std::array<KeptLocation, 24> keptLocations_{};
    mutable size_t keptCount_ = 0;

    void createProgram();
    void compileShaderFile(const std::string& path, unsigned int shaderType, unsigned int& outId);
    void compileSource(const char* text, unsigned int shaderType, unsigned int& outId);
    void linkProgram();
};
