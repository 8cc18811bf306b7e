#include "Hooks.h"

#include <dlfcn.h>
#include <time.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <FreeImage.h>
#include <GL/glew.h>

// The benchmark replaces the allocator entry points of the whole process; the pairing of every
// form with free() is exact even where inlining hides it from the compiler.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
}

namespace {

// Driver threads allocate too, so the counters are atomic.
std::atomic<std::int64_t> newCount{0};
std::atomic<std::int64_t> mallocCount{0};

std::int64_t drawCount = 0;
std::int64_t uploadCount = 0;
std::int64_t lookupCount = 0;
std::int64_t shadowTriangleCount = 0;
std::int64_t triangleCount = 0;
// Set by the benchmark's pass observer while the shadow pass runs.
bool countingShadowPass = false;
double textureTime = 0.0;
double shaderTime = 0.0;
double framebufferTime = 0.0;

void* countedNew(std::size_t size) noexcept {
    newCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* countedNewOrThrow(std::size_t size) {
    if (void* memory = countedNew(size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* countedAlignedNew(std::size_t size, std::align_val_t alignment) noexcept {
    newCount.fetch_add(1, std::memory_order_relaxed);
    const auto align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + align - 1) / align * align;
    return std::aligned_alloc(align, rounded == 0 ? align : rounded);
}

// Adds the time spent inside a call to an accumulator.
class Stopwatch {
public:
    explicit Stopwatch(double& total) : total_(total), start_(monotonicSeconds()) {}
    ~Stopwatch() { total_ += monotonicSeconds() - start_; }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double& total_;
    double start_ = 0.0;
};

template <typename Function>
Function nextSymbol(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

PFNGLUNIFORM1FPROC realUniform1f = nullptr;
PFNGLUNIFORM1IPROC realUniform1i = nullptr;
PFNGLUNIFORM3FPROC realUniform3f = nullptr;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
PFNGLCOMPILESHADERPROC realCompileShader = nullptr;
PFNGLLINKPROGRAMPROC realLinkProgram = nullptr;
PFNGLGENERATEMIPMAPPROC realGenerateMipmap = nullptr;
PFNGLGENFRAMEBUFFERSPROC realGenFramebuffers = nullptr;
PFNGLDRAWRANGEELEMENTSPROC realDrawRangeElements = nullptr;

void GLAPIENTRY countUniform1f(GLint location, GLfloat value) {
    ++uploadCount;
    realUniform1f(location, value);
}
void GLAPIENTRY countUniform1i(GLint location, GLint value) {
    ++uploadCount;
    realUniform1i(location, value);
}
void GLAPIENTRY countUniform3f(GLint location, GLfloat x, GLfloat y, GLfloat z) {
    ++uploadCount;
    realUniform3f(location, x, y, z);
}
void GLAPIENTRY countUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose,
                                      const GLfloat* value) {
    ++uploadCount;
    realUniformMatrix4fv(location, count, transpose, value);
}
GLint GLAPIENTRY countGetUniformLocation(GLuint program, const GLchar* name) {
    ++lookupCount;
    return realGetUniformLocation(program, name);
}
void GLAPIENTRY timeCompileShader(GLuint shader) {
    const Stopwatch watch(shaderTime);
    realCompileShader(shader);
}
void GLAPIENTRY timeLinkProgram(GLuint program) {
    const Stopwatch watch(shaderTime);
    realLinkProgram(program);
}
void GLAPIENTRY timeGenerateMipmap(GLenum target) {
    const Stopwatch watch(textureTime);
    realGenerateMipmap(target);
}
void GLAPIENTRY markGenFramebuffers(GLsizei count, GLuint* names) {
    if (framebufferTime == 0.0) {
        framebufferTime = monotonicSeconds();
    }
    realGenFramebuffers(count, names);
}

void countTriangles(GLenum mode, GLsizei count) {
    ++drawCount;
    if (mode == GL_TRIANGLES) {
        triangleCount += count / 3;
        if (countingShadowPass) {
            shadowTriangleCount += count / 3;
        }
    }
}

void GLAPIENTRY countDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count,
                                       GLenum type, const void* indices) {
    countTriangles(mode, count);
    realDrawRangeElements(mode, start, end, count, type, indices);
}

}  // namespace

// The allocator hook: every allocation of the process passes through here.
extern "C" void* malloc(size_t size) {
    mallocCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    mallocCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* memory, size_t size) {
    mallocCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(memory, size);
}

void* operator new(std::size_t size) {
    return countedNewOrThrow(size);
}
void* operator new[](std::size_t size) {
    return countedNewOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedNew(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedNew(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* memory = countedAlignedNew(size, alignment)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}

// Entry points the game calls directly from the GL and image libraries: defined here, they take
// the calls of the linked game code and pass them on to the library.
extern "C" {
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static const auto real =
        nextSymbol<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    countTriangles(mode, count);
    real(mode, count, type, indices);
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static const auto real = nextSymbol<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    countTriangles(mode, count);
    real(mode, first, count);
}
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    static const auto real = nextSymbol<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint,
                                                 GLenum, GLenum, const void*)>("glTexImage2D");
    const Stopwatch watch(textureTime);
    real(target, level, internalFormat, width, height, border, format, type, pixels);
}
FIBITMAP* FreeImage_Load(FREE_IMAGE_FORMAT format, const char* path, int flags) {
    static const auto real =
        nextSymbol<FIBITMAP* (*)(FREE_IMAGE_FORMAT, const char*, int)>("FreeImage_Load");
    const Stopwatch watch(textureTime);
    return real(format, path, flags);
}
FIBITMAP* FreeImage_ConvertTo24Bits(FIBITMAP* image) {
    static const auto real = nextSymbol<FIBITMAP* (*)(FIBITMAP*)>("FreeImage_ConvertTo24Bits");
    const Stopwatch watch(textureTime);
    return real(image);
}
}

void countShadowPassTriangles(bool on) {
    countingShadowPass = on;
}

CallCounts callCounts() {
    CallCounts counts;
    counts.news = newCount.load(std::memory_order_relaxed);
    counts.mallocs = mallocCount.load(std::memory_order_relaxed);
    counts.drawCalls = drawCount;
    counts.uniformUploads = uploadCount;
    counts.uniformLookups = lookupCount;
    counts.shadowTriangles = shadowTriangleCount;
    counts.triangles = triangleCount;
    return counts;
}

CallCounts operator-(const CallCounts& later, const CallCounts& earlier) {
    CallCounts d;
    d.news = later.news - earlier.news;
    d.mallocs = later.mallocs - earlier.mallocs;
    d.drawCalls = later.drawCalls - earlier.drawCalls;
    d.uniformUploads = later.uniformUploads - earlier.uniformUploads;
    d.uniformLookups = later.uniformLookups - earlier.uniformLookups;
    d.shadowTriangles = later.shadowTriangles - earlier.shadowTriangles;
    d.triangles = later.triangles - earlier.triangles;
    return d;
}

void installGlHooks() {
    if (realUniform1f != nullptr) {
        return;
    }
    realUniform1f = __glewUniform1f;
    realUniform1i = __glewUniform1i;
    realUniform3f = __glewUniform3f;
    realUniformMatrix4fv = __glewUniformMatrix4fv;
    realGetUniformLocation = __glewGetUniformLocation;
    realCompileShader = __glewCompileShader;
    realLinkProgram = __glewLinkProgram;
    realGenerateMipmap = __glewGenerateMipmap;
    realGenFramebuffers = __glewGenFramebuffers;
    realDrawRangeElements = __glewDrawRangeElements;
    __glewUniform1f = countUniform1f;
    __glewUniform1i = countUniform1i;
    __glewUniform3f = countUniform3f;
    __glewUniformMatrix4fv = countUniformMatrix4fv;
    __glewGetUniformLocation = countGetUniformLocation;
    __glewCompileShader = timeCompileShader;
    __glewLinkProgram = timeLinkProgram;
    __glewGenerateMipmap = timeGenerateMipmap;
    __glewGenFramebuffers = markGenFramebuffers;
    __glewDrawRangeElements = countDrawRangeElements;
}

double textureSeconds() {
    return textureTime;
}

double shaderSeconds() {
    return shaderTime;
}

double firstFramebufferTime() {
    return framebufferTime;
}

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
