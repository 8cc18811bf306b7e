#pragma once

#include <string>

// One linked program of a vertex and a fragment shader compiled from source files in the working
// directory. Any failure reports on standard error, waits for the console pause and exits with
// status 1, so a Shader that exists is always fully linked.
class Shader {
public:
    Shader(const std::string& vertexPath, const std::string& fragmentPath);
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    unsigned int programId = 0;
    unsigned int vertexShaderId = 0;
    unsigned int fragmentShaderId = 0;

private:
    void compileShaderFile(const std::string& path, unsigned int shaderType, unsigned int& outId);
    void linkProgram();
};
