#include "AssetFuzzing.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/Cubemap.h"
#include "render/GlDriver.h"
#include "render/Model.h"
#include "render/Shader.h"
#include "render/Texture.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view partSeparator = "\n--velmora-part--\n";
std::unique_ptr<Shader> program;
std::string scratchDir;

const char* const vertexSource =
    "#version 330 core\nlayout(location = 0) in vec3 p;\nlayout(location = 1) in vec3 n;\n"
    "layout(location = 2) in vec2 t;\nout vec2 uv;\n"
    "void main() { uv = t + n.xy; gl_Position = vec4(p, 1.0); }\n";
const char* const fragmentSource =
    "#version 330 core\nin vec2 uv;\nout vec4 c;\nuniform sampler2D texture_diffuse1;\n"
    "uniform sampler2D texture_specular1;\n"
    "void main() { c = texture(texture_diffuse1, uv) + texture(texture_specular1, uv); }\n";

void writeFile(const char* path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A part the input does not have is a file that does not exist.
void writeOrRemove(const char* path, std::string_view bytes, bool present) {
    if (present) {
        writeFile(path, bytes);
    } else {
        std::remove(path);
    }
}

void removeScratchDir() {
    std::error_code ignored;
    fs::remove_all(scratchDir, ignored);
}

void fuzzModel(std::string_view input) {
    std::string_view parts[3];
    size_t count = 0;
    while (count < 2) {
        const size_t at = input.find(partSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        parts[count++] = input.substr(0, at);
        input.remove_prefix(at + partSeparator.size());
    }
    parts[count++] = input;
    writeOrRemove("Meshes/model.obj", parts[0], true);
    writeOrRemove("Meshes/model.mtl", parts[1], count > 1);
    writeOrRemove("Textures/image.png", parts[2], count > 2);

    Model model("Meshes/model.obj", program.get());
    glUseProgram(program->programId);
    model.draw();
    shadowPassActive = true;
    model.draw();
    shadowPassActive = false;
    glUseProgram(0);
    for (const Mesh& mesh : model.meshes) {
        glDeleteVertexArrays(1, &mesh.vao);
        glDeleteBuffers(1, &mesh.vbo);
        glDeleteBuffers(1, &mesh.ebo);
    }
    for (const Texture& texture : model.texturesLoaded) {
        glDeleteTextures(1, &texture.id);
    }
}

void fuzzTexture(std::string_view input) {
    writeFile("Textures/image.bin", input);
    const GLuint id = textureFromFile("Textures/image.bin", "Textures");
    glDeleteTextures(1, &id);
}

void fuzzSky(std::string_view input) {
    writeFile("Textures/sky.jpg", input);
    const GLuint id = loadCubemap(std::vector<std::string>(6, "Textures/sky.jpg"));
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &id);
}

}  // namespace

bool prepareAssetFuzzing() {
    keepGlDriverLoaded();
    if (glfwInit() != GLFW_TRUE) {
        std::fputs("fuzz: no display; run under xvfb-run\n", stderr);
        return false;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(16, 16, "Velmora fuzz", nullptr, nullptr);
    if (window == nullptr) {
        return false;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    // Files are written for every input: memory-backed where the system offers it.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "velmora-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return false;
    }
    scratchDir = pattern;
    std::atexit(removeScratchDir);
    fs::create_directory(fs::path(scratchDir) / "Meshes");
    fs::create_directory(fs::path(scratchDir) / "Textures");
    if (chdir(scratchDir.c_str()) != 0) {
        return false;
    }
    writeFile("fuzz.vert", vertexSource);
    writeFile("fuzz.frag", fragmentSource);
    program = std::make_unique<Shader>("fuzz.vert", "fuzz.frag");
    // The loaders report every broken file on the console; millions of such lines help no one.
    std::cout.setstate(std::ios::badbit);
    return true;
}

void loadFuzzInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            fuzzModel(input);
            break;
        case 1:
            fuzzTexture(input);
            break;
        default:
            fuzzSky(input);
            break;
    }
}
