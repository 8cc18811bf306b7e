#include "render/Shader.h"

#include <GL/glew.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "render/Console.h"

namespace {

// Writes the message line and the info log of a failed compile or link, then pauses and exits.
[[noreturn]] void reportLogAndExit(const char* message, std::vector<char>& log) {
    std::cerr << message << std::endl;
    std::cerr << log.data() << std::endl;
    log.clear();
    log.shrink_to_fit();
    pauseAndExit();
}

// A buffer for an info log of the given length; one extra zero keeps it terminated even when the
// driver reports a length of 0 and writes nothing.
std::vector<char> logBuffer(GLint length) {
    const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
    return std::vector<char>(size + 1, '\0');
}

// Reads the whole file; false when it cannot be opened or read. A folder under the file's name
// opens but fails on the first read, which the stream reports by throwing: left alone, that would
// abort the game without a word instead of giving the missing-file message.
bool readShaderFile(const std::string& path, std::string& source) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    try {
        source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return !file.bad();
}

}  // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath) {
    createProgram();
    compileShaderFile(vertexPath, GL_VERTEX_SHADER, vertexShaderId);
    compileShaderFile(fragmentPath, GL_FRAGMENT_SHADER, fragmentShaderId);
    linkProgram();
}

Shader::Shader(const std::string& vertexPath, FragmentText fragment) {
    createProgram();
    compileShaderFile(vertexPath, GL_VERTEX_SHADER, vertexShaderId);
    compileSource(fragment.source, GL_FRAGMENT_SHADER, fragmentShaderId);
    linkProgram();
}

void Shader::createProgram() {
    programId = glCreateProgram();
    if (programId == 0) {
        std::cerr << "Failed to creat shader" << std::endl;
        pauseAndExit();
    }
}

Shader::~Shader() {
    glDeleteProgram(programId);
    glDeleteShader(vertexShaderId);
    glDeleteShader(fragmentShaderId);
}

int Shader::uniformLocation(const char* name) const {
    for (size_t i = 0; i < keptCount_; ++i) {
        if (std::strcmp(keptLocations_[i].name.data(), name) == 0) {
            return keptLocations_[i].location;
        }
    }
    const int location = glGetUniformLocation(programId, name);
    const size_t length = std::strlen(name);
    if (keptCount_ < keptLocations_.size() && length < keptLocations_[0].name.size()) {
        KeptLocation& kept = keptLocations_[keptCount_++];
        std::memcpy(kept.name.data(), name, length + 1);
        kept.location = location;
    }
    return location;
}

void Shader::compileShaderFile(const std::string& path, unsigned int shaderType,
                               unsigned int& outId) {
    std::string source;
    if (!readShaderFile(path, source)) {
        std::cerr << "Failed to load Shaderfile " << std::endl;
        pauseAndExit();
    }
    compileSource(source.c_str(), shaderType, outId);
}

void Shader::compileSource(const char* text, unsigned int shaderType, unsigned int& outId) {
    outId = glCreateShader(shaderType);
    if (outId == 0) {
        std::cerr << "Failed to creat creat shader" << std::endl;
        pauseAndExit();
    }
    glShaderSource(outId, 1, &text, nullptr);
    glCompileShader(outId);
    GLint status = 0;
    glGetShaderiv(outId, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(outId) == GL_TRUE) {
        return;
    }
    GLint length = 0;
    glGetShaderiv(outId, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log = logBuffer(length);
    glGetShaderInfoLog(outId, length, nullptr, log.data());
    reportLogAndExit("Failed to Compile Shader", log);
}

void Shader::linkProgram() {
    glAttachShader(programId, vertexShaderId);
    glAttachShader(programId, fragmentShaderId);
    glLinkProgram(programId);
    GLint status = 0;
    glGetProgramiv(programId, GL_LINK_STATUS, &status);
    if (status != 0) {
        return;
    }
    GLint length = 0;
    glGetProgramiv(programId, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log = logBuffer(length);
    glGetProgramInfoLog(programId, length, nullptr, log.data());
    reportLogAndExit("Failed to link Programm ", log);
}
