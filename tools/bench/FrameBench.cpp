#include "FrameBench.h"

#include <cmath>
#include <ostream>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "Hooks.h"
#include "Report.h"
#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "game/GameState.h"
#include "render/Assets.h"
#include "render/ShadowTarget.h"
#include "render/Texture.h"
#include "scene/PassObserver.h"
#include "scene/PassSetup.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"
#include "scene/ShadowPass.h"

namespace {
constexpr float frameStep = 1.0f / 60.0f;
// Short blocks of each kind alternate, so a slow spell of the shared machine (they last seconds)
// hits every kind alike; each block starts with a frame that is not timed.
constexpr int framesPerBlock = 10;
constexpr int warmUpFrames = 1;

// A fixed camera pose per level, looking into the room where the level is played.
struct Pose {
    int level = 1;
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f};
};

const Pose poses[] = {
    {1, {-3.0f, 8.0f, -1.0f}, {-3.0f, 7.6f, -4.0f}},
    {2, {-5.4f, 9.3f, -1.0f}, {-5.4f, 9.3f, -4.0f}},
    {3, {-3.0f, 9.3f, -0.2f}, {-3.0f, 8.9f, -3.0f}},
    {4, {-2.5f, 9.3f, 0.9f}, {-2.5f, 8.7f, 2.6f}},
};

// Points the camera the way mouse look would (front = (sin yaw, sin pitch, -cos yaw)).
void applyPose(const Pose& pose, bool culling) {
    Camera& camera = *playerCamera;
    camera.position = pose.eye;
    const glm::vec3 d = pose.target - pose.eye;
    camera.yaw = std::atan2(d.x, -d.z);
    camera.pitch = std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z));
    camera.front = glm::vec3(std::sin(camera.yaw), std::sin(camera.pitch), -std::cos(camera.yaw));
    camera.updateView();
    followPlayerLight();
    currentLevel = pose.level;
    viewFrustumMode = culling;
    // The rules run with the frames; a statue that catches the fixed camera must not turn every
    // later block into the blended game-over picture.
    gameOver = false;
    renderer.setBlending(false);
}

// Main-thread CPU time spent in the passes and in presenting, summed over the run.
double submitCpu = 0.0;
double presentCpu = 0.0;
// Wall time of the last frame's swap and event poll.
double presentWall = 0.0;

// The frame loop presents through this: the swap, then the window system's own events.
void presentFrame(GLFWwindow* window) {
    const double start = threadCpuSeconds();
    const double wallStart = monotonicSeconds();
    glfwSwapBuffers(window);
    glfwPollEvents();
    presentCpu += threadCpuSeconds() - start;
    presentWall = monotonicSeconds() - wallStart;
}

// Each pass of a frame gets a GL timer query (a pass may begin more than once) and its main-thread
// CPU time. The queries are read after the frame was presented, when the driver has run them.
constexpr int queriesPerFrame = 8;
GLuint timerQueries[queriesPerFrame] = {};
FramePass queryPass[queriesPerFrame] = {};
int queriesUsed = 0;
double passCpuStart = 0.0;
double passCpu[framePassCount] = {};

void beginTimedPass(FramePass pass) {
    countShadowPassTriangles(pass == FramePass::shadow);
    if (queriesUsed < queriesPerFrame) {
        queryPass[queriesUsed] = pass;
        glBeginQuery(GL_TIME_ELAPSED, timerQueries[queriesUsed]);
    }
    passCpuStart = threadCpuSeconds();
}

void endTimedPass(FramePass pass) {
    countShadowPassTriangles(false);
    passCpu[static_cast<int>(pass)] += threadCpuSeconds() - passCpuStart;
    if (queriesUsed < queriesPerFrame) {
        glEndQuery(GL_TIME_ELAPSED);
        ++queriesUsed;
    }
}

const PassObserver passTimer = {beginTimedPass, endTimedPass};

// One frame's split, in milliseconds; clears the counters for the next frame.
struct PassSplit {
    double gpuMs[framePassCount] = {};
    double cpuMs[framePassCount] = {};
};

PassSplit takePassSplit() {
    PassSplit split;
    for (int i = 0; i < queriesUsed; ++i) {
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(timerQueries[i], GL_QUERY_RESULT, &nanoseconds);
        split.gpuMs[static_cast<int>(queryPass[i])] += static_cast<double>(nanoseconds) * 1e-6;
    }
    for (int pass = 0; pass < framePassCount; ++pass) {
        split.cpuMs[pass] = passCpu[pass] * 1000.0;
        passCpu[pass] = 0.0;
    }
    queriesUsed = 0;
    return split;
}

void timedRenderFrame() {
    const double start = threadCpuSeconds();
    openGlRenderer.renderFrame();
    submitCpu += threadCpuSeconds() - start;
}

// The fragment-count query switches from the shadow pass to the main pass where the window's
// framebuffer is bound.
PFNGLBINDFRAMEBUFFERPROC realBindFramebuffer = nullptr;
GLuint fragmentQueries[2] = {0, 0};
bool countingFragments = false;

void GLAPIENTRY bindFramebufferCounting(GLenum target, GLuint framebuffer) {
    if (countingFragments && framebuffer == 0) {
        glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
        glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, fragmentQueries[1]);
    }
    realBindFramebuffer(target, framebuffer);
}

// The geometry of the shading floor.
struct FloorGeometry {
    GLuint gridVao = 0;
    GLuint gridBuffer = 0;
    GLsizei gridVertices = 0;
    GLuint quadVao = 0;
    GLuint quadBuffer = 0;
};

// A grid over the whole depth target in clip coordinates, at least the given triangle count.
void buildGrid(FloorGeometry& floor, long triangles) {
    const int side = std::max(1, static_cast<int>(std::ceil(std::sqrt(triangles / 2.0))));
    std::vector<glm::vec3> vertices;
    vertices.reserve(static_cast<size_t>(side) * side * 6);
    const auto at = [side](int i) { return -1.0f + 2.0f * static_cast<float>(i) / side; };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const glm::vec3 a(at(x), at(y), 0.2f);
            const glm::vec3 b(at(x + 1), at(y), 0.2f);
            const glm::vec3 c(at(x + 1), at(y + 1), 0.2f);
            const glm::vec3 d(at(x), at(y + 1), 0.2f);
            vertices.insert(vertices.end(), {a, b, c, a, c, d});
        }
    }
    glGenVertexArrays(1, &floor.gridVao);
    glGenBuffers(1, &floor.gridBuffer);
    glBindVertexArray(floor.gridVao);
    glBindBuffer(GL_ARRAY_BUFFER, floor.gridBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(glm::vec3)),
                 vertices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
    glBindVertexArray(0);
    floor.gridVertices = static_cast<GLsizei>(vertices.size());
}

// A quad filling the camera's view a few units ahead, facing it, in the layout of Vertex.
void buildQuad(FloorGeometry& floor, int width, int height) {
    const Camera& camera = *playerCamera;
    const glm::mat4 toWorld = glm::inverse(camera.view);
    const glm::vec3 right(toWorld[0]);
    const glm::vec3 up(toWorld[1]);
    const glm::vec3 back(toWorld[2]);
    const float distance = 3.0f;
    const float halfHeight = distance * std::tan(22.5f) * 1.05f;
    const float halfWidth = halfHeight * static_cast<float>(width) / static_cast<float>(height);
    const glm::vec3 centre = camera.position - back * distance;
    const auto corner = [&](float sx, float sy, float u, float v) {
        Vertex vertex;
        vertex.position = centre + right * (sx * halfWidth) + up * (sy * halfHeight);
        vertex.normal = back;
        vertex.texCoords = glm::vec2(u, v);
        return vertex;
    };
    const Vertex quad[6] = {corner(-1, -1, 0, 0), corner(1, -1, 6, 0), corner(1, 1, 6, 4),
                            corner(-1, -1, 0, 0), corner(1, 1, 6, 4),  corner(-1, 1, 0, 4)};
    glGenVertexArrays(1, &floor.quadVao);
    glGenBuffers(1, &floor.quadBuffer);
    glBindVertexArray(floor.quadVao);
    glBindBuffer(GL_ARRAY_BUFFER, floor.quadBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, texCoords)));
    glBindVertexArray(0);
}

void releaseFloor(FloorGeometry& floor) {
    glDeleteVertexArrays(1, &floor.gridVao);
    glDeleteBuffers(1, &floor.gridBuffer);
    glDeleteVertexArrays(1, &floor.quadVao);
    glDeleteBuffers(1, &floor.quadBuffer);
    floor = FloorGeometry{};
}

// The first texture of the house, which covers most of every view.
GLuint floorTexture() {
    if (houseModel) {
        for (const Mesh& mesh : houseModel->meshes) {
            if (!mesh.textures.empty()) {
                return mesh.textures.front().id;
            }
        }
    }
    return 0;
}

// One shading-floor frame: the depth grid into the shadow target, then the full-window quad with
// the main program and the uniforms of the current pose, as the game's passes set them.
void floorFrame(const FloorGeometry& floor, GLuint texture) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    const PolygonOffset offset = polygonOffsetFor(playerCamera->front);
    glPolygonOffset(offset.factor, offset.units);
    const GLuint depthProgram = depthShader->programId;
    glUseProgram(depthProgram);
    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(glGetUniformLocation(depthProgram, "lsm"), 1, GL_FALSE,
                       glm::value_ptr(identity));
    glUniformMatrix4fv(glGetUniformLocation(depthProgram, "tModel"), 1, GL_FALSE,
                       glm::value_ptr(identity));
    glBindFramebuffer(GL_FRAMEBUFFER, shadowMapFbo);
    glViewport(0, 0, shadowMapSize, shadowMapSize);
    glClear(GL_DEPTH_BUFFER_BIT);
    glBindVertexArray(floor.gridVao);
    glDrawArrays(GL_TRIANGLES, 0, floor.gridVertices);

    const glm::vec3 eye = spotLight->position;
    lightSpaceMatrix =
        lightProjection() * glm::lookAt(eye, eye + playerCamera->front, glm::vec3(0, 1, 0));
    prepareMainPass();
    const GLuint mainProgram = mainShader->programId;
    uploadPassUniforms(mainProgram);
    glUniform1f(glGetUniformLocation(mainProgram, "power"), 32.0f);
    glUniformMatrix4fv(glGetUniformLocation(mainProgram, "tModel"), 1, GL_FALSE,
                       glm::value_ptr(identity));
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(glGetUniformLocation(mainProgram, "texture_diffuse1"), 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    applySamplingMode(false, false, false);
    glBindVertexArray(floor.quadVao);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void clearFrame(int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Samples of one frame kind plus the counters of its scene frames.
struct Kind {
    std::vector<double> samples;
    // Per scene frame: each pass's timer-query and main-thread CPU time, and the present's wall
    // and CPU time.
    std::vector<double> passGpu[framePassCount];
    std::vector<double> passCpu[framePassCount];
    std::vector<double> presentMs;
    std::vector<double> presentCpuMs;
    CallCounts counts;
    double updateCpu = 0.0;
    double submitCpu = 0.0;
    int counted = 0;
};

class Runner {
public:
    Runner(GLFWwindow* window, int width, int height)
        : window_(window), width_(width), height_(height) {}

    // Times frames of one kind; the vector has room reserved, so timing allocates nothing.
    template <typename Frame>
    void time(Kind& kind, int frames, Frame frame) {
        for (int i = 0; i < warmUpFrames; ++i) {
            frame();
            present();
        }
        for (int i = 0; i < frames; ++i) {
            const double start = monotonicSeconds();
            frame();
            present();
            kind.samples.push_back((monotonicSeconds() - start) * 1000.0);
        }
    }

    // Times scene frames and records their counters and main-thread CPU split.
    void timeScene(Kind& kind, int frames) {
        for (int i = 0; i < warmUpFrames; ++i) {
            sceneFrame();
        }
        const CallCounts before = callCounts();
        for (int i = 0; i < frames; ++i) {
            const double start = monotonicSeconds();
            const double cpuStart = threadCpuSeconds();
            const double submitStart = submitCpu;
            const double presentStart = presentCpu;
            runFrame(window_, loop_, sink_);
            const double submit = submitCpu - submitStart;
            const double cpu = threadCpuSeconds() - cpuStart - (presentCpu - presentStart);
            kind.samples.push_back((monotonicSeconds() - start) * 1000.0);
            kind.submitCpu += submit;
            kind.updateCpu += cpu - submit;
            const PassSplit split = takePassSplit();
            for (int pass = 0; pass < framePassCount; ++pass) {
                kind.passGpu[pass].push_back(split.gpuMs[pass]);
                kind.passCpu[pass].push_back(split.cpuMs[pass]);
            }
            kind.presentMs.push_back(presentWall * 1000.0);
            kind.presentCpuMs.push_back((presentCpu - presentStart) * 1000.0);
        }
        const CallCounts used = callCounts() - before;
        kind.counts = addCounts(kind.counts, used);
        kind.counted += frames;
    }

    // One iteration of the player's frame loop, presented.
    void sceneFrame() {
        runFrame(window_, loop_, sink_);
        takePassSplit();
    }

    void present() {
        glfwSwapBuffers(window_);
        glfwPollEvents();
    }

    // Fragment shader runs of one scene frame's main pass, per window pixel.
    double shadedPerPixel() {
        glGenQueries(2, fragmentQueries);
        realBindFramebuffer = __glewBindFramebuffer;
        __glewBindFramebuffer = bindFramebufferCounting;
        countingFragments = true;
        glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, fragmentQueries[0]);
        runFrame(window_, loop_, sink_);
        takePassSplit();
        countingFragments = false;
        glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
        __glewBindFramebuffer = realBindFramebuffer;
        GLuint64 mainFragments = 0;
        glGetQueryObjectui64v(fragmentQueries[1], GL_QUERY_RESULT, &mainFragments);
        glDeleteQueries(2, fragmentQueries);
        return static_cast<double>(mainFragments) / (static_cast<double>(width_) * height_);
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    static CallCounts addCounts(const CallCounts& a, const CallCounts& b) {
        CallCounts sum = a;
        sum.news += b.news;
        sum.mallocs += b.mallocs;
        sum.drawCalls += b.drawCalls;
        sum.uniformUploads += b.uniformUploads;
        sum.uniformLookups += b.uniformLookups;
        sum.shadowTriangles += b.shadowTriangles;
        sum.triangles += b.triangles;
        return sum;
    }

    GLFWwindow* window_ = nullptr;
    FrameLoopState loop_;
    int width_ = 0;
    int height_ = 0;
    // The statistics line stays off; a stream without a buffer takes any write without allocating.
    std::ostream sink_{nullptr};
};

LevelFigures summarise(int level, bool culling, const Kind& kind, double clearMs, double floorMs,
                       long shadowTriangles, double shaded) {
    LevelFigures figures;
    figures.level = level;
    figures.culling = culling;
    figures.frame.medianMs = median(kind.samples);
    figures.frame.p95Ms = percentile(kind.samples, 0.95);
    figures.frame.frames = static_cast<int>(kind.samples.size());
    const double n = std::max(1, kind.counted);
    figures.drawCalls = static_cast<double>(kind.counts.drawCalls) / n;
    figures.triangles = static_cast<double>(kind.counts.triangles) / n;
    figures.uniformUploads = static_cast<double>(kind.counts.uniformUploads) / n;
    figures.uniformLookups = static_cast<double>(kind.counts.uniformLookups) / n;
    figures.allocations = static_cast<double>(kind.counts.news) / n;
    figures.driverMallocs = static_cast<double>(kind.counts.mallocs) / n;
    figures.updateCpuMs = kind.updateCpu * 1000.0 / n;
    figures.submitCpuMs = kind.submitCpu * 1000.0 / n;
    figures.shadedPerPixel = shaded;
    figures.clearMs = clearMs;
    figures.floorMs = floorMs;
    figures.shadowTriangles = shadowTriangles;
    for (int pass = 0; pass < framePassCount; ++pass) {
        figures.passGpuMs[pass] = median(kind.passGpu[pass]);
        figures.passCpuMs[pass] = median(kind.passCpu[pass]);
    }
    figures.presentMs = median(kind.presentMs);
    figures.presentCpuMs = median(kind.presentCpuMs);
    return figures;
}

}  // namespace

int runFrameBench(int width, int height, int framesPerKind, std::ostream& out) {
    GLFWwindow* window = startHiddenGame(width, height, false);
    if (window == nullptr) {
        return 1;
    }
    installGlHooks();
    renderer.renderFrame = timedRenderFrame;
    glGenQueries(queriesPerFrame, timerQueries);
    passObserver = &passTimer;
    // Fixed frame times keep the rules' motion the same in every run.
    installScriptedWindow(frameStep, presentFrame);
    Runner runner(window, width, height);
    const int rounds = std::max(1, framesPerKind / framesPerBlock);
    const int perBlock = std::min(framesPerKind, framesPerBlock);
    const int total = perBlock * rounds;
    constexpr int levelCount = 4;

    // Per level: the shadow pass's triangle count with every object drawn, the floor built from
    // it, and the fragment count of one frame with culling off.
    FloorGeometry floors[levelCount];
    long shadowTriangles[levelCount] = {};
    double shaded[levelCount][2] = {};
    const GLuint texture = floorTexture();
    for (int i = 0; i < levelCount; ++i) {
        for (int culling = 0; culling < 2; ++culling) {
            applyPose(poses[i], culling == 1);
            runner.sceneFrame();
            const CallCounts before = callCounts();
            runner.sceneFrame();
            if (culling == 0) {
                shadowTriangles[i] = static_cast<long>((callCounts() - before).shadowTriangles);
            }
            shaded[i][culling] = runner.shadedPerPixel();
        }
        buildGrid(floors[i], shadowTriangles[i]);
        buildQuad(floors[i], width, height);
    }

    Kind clear;
    Kind floor[levelCount];
    Kind scene[levelCount][2];
    clear.samples.reserve(static_cast<size_t>(total));
    for (int i = 0; i < levelCount; ++i) {
        floor[i].samples.reserve(static_cast<size_t>(total));
        for (Kind& kind : scene[i]) {
            kind.samples.reserve(static_cast<size_t>(total));
            for (int pass = 0; pass < framePassCount; ++pass) {
                kind.passGpu[pass].reserve(static_cast<size_t>(total));
                kind.passCpu[pass].reserve(static_cast<size_t>(total));
            }
            kind.presentMs.reserve(static_cast<size_t>(total));
            kind.presentCpuMs.reserve(static_cast<size_t>(total));
        }
    }
    for (int round = 0; round < rounds; ++round) {
        runner.time(clear, perBlock, [&] { clearFrame(width, height); });
        for (int i = 0; i < levelCount; ++i) {
            applyPose(poses[i], false);
            runner.time(floor[i], perBlock, [&] { floorFrame(floors[i], texture); });
            for (int culling = 0; culling < 2; ++culling) {
                applyPose(poses[i], culling == 1);
                runner.timeScene(scene[i][culling], perBlock);
            }
        }
    }

    const double clearMs = median(clear.samples);
    out << "clear " << clearMs << "\n";
    for (int i = 0; i < levelCount; ++i) {
        for (int culling = 0; culling < 2; ++culling) {
            out << encodeLevel(summarise(poses[i].level, culling == 1, scene[i][culling], clearMs,
                                         median(floor[i].samples), shadowTriangles[i],
                                         shaded[i][culling]))
                << "\n";
        }
        releaseFloor(floors[i]);
    }
    out.flush();
    passObserver = nullptr;
    glDeleteQueries(queriesPerFrame, timerQueries);
    uninstallScriptedWindow();
    renderer.releaseAssets();
    glfwTerminate();
    return 0;
}
