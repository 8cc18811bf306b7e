#include "render/Snapshot.h"

#include <algorithm>
#include <vector>

#include <GL/glew.h>
#include <stb_image_write.h>

bool saveFramebufferPng(const std::string& path, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // OpenGL's rows start at the bottom; the picture's at the top.
    std::vector<unsigned char> flipped(pixels.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                    flipped.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
    }
    return stbi_write_png(path.c_str(), width, height, 3, flipped.data(), static_cast<int>(row)) !=
           0;
}
