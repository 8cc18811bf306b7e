#include "tools/gldebug/DebugContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <array>
#include <cstring>

namespace {

// A distinct message: its identity, how often it came and the first part of its text. The table
// is fixed, so a message arriving during a frame allocates nothing.
struct Entry {
    GLenum source = 0;
    GLenum type = 0;
    GLenum severity = 0;
    GLuint id = 0;
    long count = 0;
    std::array<char, 240> text{};
};
std::array<Entry, 64> entries{};
size_t entryCount = 0;
long overflowCount = 0;
DebugTally tally{};
void (*failureHandler)(const char*) = nullptr;
bool expecting = false;
long expectedInScope = 0;

bool isFailing(GLenum type, GLenum severity) {
    return type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR ||
           type == GL_DEBUG_TYPE_PORTABILITY || severity == GL_DEBUG_SEVERITY_HIGH ||
           severity == GL_DEBUG_SEVERITY_MEDIUM;
}

const char* sourceName(GLenum source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API:
            return "api";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
            return "window system";
        case GL_DEBUG_SOURCE_SHADER_COMPILER:
            return "shader compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY:
            return "third party";
        case GL_DEBUG_SOURCE_APPLICATION:
            return "application";
        default:
            return "other source";
    }
}

const char* typeName(GLenum type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            return "error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
            return "deprecated";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
            return "undefined behaviour";
        case GL_DEBUG_TYPE_PORTABILITY:
            return "portability";
        case GL_DEBUG_TYPE_PERFORMANCE:
            return "performance";
        case GL_DEBUG_TYPE_MARKER:
            return "marker";
        default:
            return "other";
    }
}

const char* severityName(GLenum severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH:
            return "high";
        case GL_DEBUG_SEVERITY_MEDIUM:
            return "medium";
        case GL_DEBUG_SEVERITY_LOW:
            return "low";
        default:
            return "notification";
    }
}

Entry* entryFor(GLenum source, GLenum type, GLenum severity, GLuint id, const char* text) {
    for (size_t i = 0; i < entryCount; ++i) {
        Entry& e = entries[i];
        if (e.source == source && e.type == type && e.severity == severity && e.id == id &&
            std::strncmp(e.text.data(), text, e.text.size() - 1) == 0) {
            return &e;
        }
    }
    if (entryCount == entries.size()) {
        return nullptr;
    }
    Entry& e = entries[entryCount++];
    e = Entry{source, type, severity, id, 0, {}};
    std::strncpy(e.text.data(), text, e.text.size() - 1);
    return &e;
}

void GLAPIENTRY receive(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei /*length*/,
                        const GLchar* message, const void* /*user*/) {
    const char* text = message != nullptr ? message : "";
    Entry* entry = entryFor(source, type, severity, id, text);
    if (entry != nullptr) {
        ++entry->count;
    } else {
        ++overflowCount;
    }
    if (isFailing(type, severity) && expecting) {
        ++tally.expected;
        ++expectedInScope;
    } else if (isFailing(type, severity)) {
        ++tally.failing;
        if (failureHandler != nullptr) {
            // Text of a fixed size: the handler may run during a frame that must not allocate.
            std::array<char, 320> description{};
            std::snprintf(description.data(), description.size(), "%s %s (%s): %s",
                          sourceName(source), typeName(type), severityName(severity), text);
            failureHandler(description.data());
        }
    } else if (type == GL_DEBUG_TYPE_PERFORMANCE) {
        ++tally.performance;
    } else {
        ++tally.other;
    }
}

void report(const char* description) {
    if (failureHandler != nullptr) {
        failureHandler(description);
    } else {
        std::fprintf(stderr, "%s\n", description);
    }
}

}  // namespace

void requestDebugContext() {
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
}

bool installDebugOutput() {
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    if ((flags & GL_CONTEXT_FLAG_DEBUG_BIT) == 0) {
        report("the OpenGL context is not a debug context");
        return false;
    }
    if (glDebugMessageCallback == nullptr || glDebugMessageControl == nullptr) {
        report("the OpenGL context offers no debug output (KHR_debug)");
        return false;
    }
    glEnable(GL_DEBUG_OUTPUT);
    // Inside the call that caused it, so a failure names the test and the call stack.
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(receive, nullptr);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    return true;
}

void setDebugFailureHandler(void (*handler)(const char* description)) {
    failureHandler = handler;
}

ExpectedDebugMessages::ExpectedDebugMessages() {
    expecting = true;
    expectedInScope = 0;
}

ExpectedDebugMessages::~ExpectedDebugMessages() {
    expecting = false;
}

long ExpectedDebugMessages::count() const {
    return expectedInScope;
}

DebugTally debugTally() {
    return tally;
}

void printDebugMessages(std::FILE* out) {
    std::fprintf(out,
                 "OpenGL debug messages: %ld failing, %ld expected, %ld performance, %ld other\n",
                 tally.failing, tally.expected, tally.performance, tally.other);
    for (size_t i = 0; i < entryCount; ++i) {
        const Entry& e = entries[i];
        std::fprintf(out, "  %s, %s, %s, id %u, %ld times: %s\n", sourceName(e.source),
                     typeName(e.type), severityName(e.severity), e.id, e.count, e.text.data());
    }
    if (overflowCount > 0) {
        std::fprintf(out, "  and %ld more of other kinds\n", overflowCount);
    }
}
