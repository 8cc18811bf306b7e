// velmora_screenshot: runs the real start-up offscreen (real shaders, real data, real passes),
// puts the game in a chosen state, renders frames and writes a PNG. Run it in the game's working
// directory under a display (xvfb-run).
//
//   velmora_screenshot OUT.png [--size WxH] [--scene NAME] [--level N] [--eye X,Y,Z]
//                      [--look X,Y,Z] [--frames N] [--visibility V] [--testing] [--wireframe]
//                      [--culling] [--nearest] [--mipmap]
//
// Scenes set level, camera and rule steps for the pictures of the README: level1, level2,
// solved (the board solved, seen from its camera; render it with --frames 1, since every frame of
// a solved board lowers the selected tile once more), level3, level4, gameover, won.
#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "render/Snapshot.h"
#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/ScriptedWindow.h"
#include "camera/Camera.h"
#include "camera/Light.h"
#include "camera/Settings.h"
#include "camera/KeyInput.h"
#include "game/Animations.h"
#include "game/Board.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "scene/RenderOptions.h"
#include "scene/Renderer.h"

namespace {

struct Options {
    std::string out;
    int width = 1280;
    int height = 720;
    std::string scene;
    int level = 0;
    bool hasEye = false;
    glm::vec3 eye{0.0f};
    bool hasLook = false;
    glm::vec3 look{0.0f};
    int frames = 3;
    float visibility = 1.0f;
    bool testing = false;
    bool wireframe = false;
    bool culling = false;
    bool nearest = false;
    bool mipmap = false;
};

bool parseVec3(const char* text, glm::vec3& out) {
    return std::sscanf(text, "%f,%f,%f", &out.x, &out.y, &out.z) == 3;
}

[[noreturn]] void usage(const char* message) {
    std::cerr << "velmora_screenshot: " << message
              << "\nusage: velmora_screenshot OUT.png [--size WxH] [--scene NAME] [--level N] "
                 "[--eye X,Y,Z] [--look X,Y,Z] [--frames N] [--visibility V] [--testing] "
                 "[--wireframe] [--culling] [--nearest] [--mipmap]\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    if (argc < 2) {
        usage("no output file");
    }
    options.out = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const auto need = [&] {
            if (value == nullptr) {
                usage(("missing value for " + arg).c_str());
            }
            ++i;
            return value;
        };
        if (arg == "--size") {
            if (std::sscanf(need(), "%dx%d", &options.width, &options.height) != 2) {
                usage("bad --size");
            }
        } else if (arg == "--scene") {
            options.scene = need();
        } else if (arg == "--level") {
            options.level = std::atoi(need());
        } else if (arg == "--eye") {
            options.hasEye = parseVec3(need(), options.eye) || (usage("bad --eye"), false);
        } else if (arg == "--look") {
            options.hasLook = parseVec3(need(), options.look) || (usage("bad --look"), false);
        } else if (arg == "--frames") {
            options.frames = std::max(1, std::atoi(need()));
        } else if (arg == "--visibility") {
            options.visibility = static_cast<float>(std::atof(need()));
        } else if (arg == "--testing") {
            options.testing = true;
        } else if (arg == "--wireframe") {
            options.wireframe = true;
        } else if (arg == "--culling") {
            options.culling = true;
        } else if (arg == "--nearest") {
            options.nearest = true;
        } else if (arg == "--mipmap") {
            options.mipmap = true;
        } else {
            usage(("unknown option " + arg).c_str());
        }
    }
    return options;
}

// Points the camera at a target the way mouse look would: yaw about the vertical, pitch limited
// to what the camera can show (its front is (sin yaw, sin pitch, -cos yaw)).
void aimCamera(const glm::vec3& eye, const glm::vec3& target) {
    Camera& camera = *playerCamera;
    camera.position = eye;
    const glm::vec3 d = target - eye;
    camera.yaw = std::atan2(d.x, -d.z);
    const float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    camera.pitch = std::atan2(d.y, horizontal);
    camera.front = glm::vec3(std::sin(camera.yaw), std::sin(camera.pitch), -std::cos(camera.yaw));
    camera.updateView();
    followPlayerLight();
}

// The frame to capture is read back where it would be presented.
std::string capturePath;
bool captured = false;
int captureWidth = 0;
int captureHeight = 0;

void captureFrame(GLFWwindow*) {
    glFinish();
    captured = saveFramebufferPng(capturePath, captureWidth, captureHeight);
}

glm::vec3 positionOf(const glm::mat4& matrix) {
    return glm::vec3(matrix[3]);
}

void openAllHiddenTops() {
    bool* requests[] = {&openTop1Request, &openTop2Request, &openTop3Request, &openTop4Request,
                        &openTop5Request, &openTop6Request, &openTop7Request, &openTop8Request};
    for (int k = 1; k <= 8; ++k) {
        *requests[k - 1] = true;
        hiddenTarget = k;
        animateHiddenBoxes();
    }
    hiddenTarget = -1;
}

bool onlyEnterDown(GLFWwindow* /*window*/, int keyCode) {
    return keyCode == key::enter;
}

// Slides the tile in `cell` through the board's own key handling, as ENTER on it would.
std::array<int, 9> slideFrom(const std::array<int, 9>& from, int cell) {
    std::copy(from.begin(), from.end(), std::begin(boardCells));
    boardMode = true;
    boardCursor = cell;
    boardMoveArmed = true;
    handleBoardKeys(nullptr, key::enter, 0, GLFW_PRESS, 0);
    std::array<int, 9> to{};
    std::copy(std::begin(boardCells), std::end(boardCells), to.begin());
    return to;
}

// Solves the board the way a player would, one slide at a time: a breadth-first search over the
// arrangements the board's own rules reach, then the shortest found played on the real state.
// The selected tile ends lifted, as it is when the last slide lands.
void solveBoard() {
    setKeyPoller(onlyEnterDown);
    glm::mat4 tiles[8];
    std::copy(std::begin(level2PartTransform), std::end(level2PartTransform), tiles);
    std::array<int, 9> start{};
    std::copy(std::begin(boardCells), std::end(boardCells), start.begin());
    std::map<std::array<int, 9>, std::pair<std::array<int, 9>, int>> reachedBy{
        {start, {start, -1}}};
    std::deque<std::array<int, 9>> queue{start};
    std::array<int, 9> goal = start;
    while (!queue.empty()) {
        const std::array<int, 9> at = queue.front();
        queue.pop_front();
        std::copy(at.begin(), at.end(), std::begin(boardCells));
        if (boardSolved()) {
            goal = at;
            break;
        }
        for (int cell = 0; cell < 9; ++cell) {
            const std::array<int, 9> next = at[cell] < 0 ? at : slideFrom(at, cell);
            if (reachedBy.emplace(next, std::make_pair(at, cell)).second) {
                queue.push_back(next);
            }
        }
    }
    std::vector<int> slides;
    for (std::array<int, 9> at = goal; reachedBy[at].second >= 0; at = reachedBy[at].first) {
        slides.insert(slides.begin(), reachedBy[at].second);
    }
    std::copy(tiles, tiles + 8, std::begin(level2PartTransform));
    std::array<int, 9> at = start;
    for (const int cell : slides) {
        at = slideFrom(at, cell);
    }
    liftSelectedTile();
    setKeyPoller(nullptr);
}

// Scene presets: the level, the rule steps that lead there, and a natural viewpoint.
void applyScene(const std::string& scene) {
    if (scene.empty()) {
        return;
    }
    if (scene == "level1") {
        aimCamera(glm::vec3(-3.0f, 8.0f, -1.0f), glm::vec3(-3.0f, 7.6f, -4.0f));
    } else if (scene == "level2" || scene == "solved") {
        currentLevel = 2;
        if (scene == "solved") {
            solveBoard();
        }
        boardMode = true;
        aimCamera(glm::vec3(-5.4f, 9.3f, -1.0f), positionOf(boardTransform));
    } else if (scene == "level3" || scene == "gameover") {
        currentLevel = 3;
        aimCamera(glm::vec3(-3.0f, 9.3f, -0.2f), glm::vec3(-3.0f, 8.9f, -3.0f));
        if (scene == "gameover") {
            // Caught: a statue at arm's length, the world frozen and drawn blended.
            statue2Transform[3] = glm::vec4(-3.1f, 8.5f, -0.9f, 1.0f);
            aimCamera(glm::vec3(-3.0f, 9.3f, -0.2f), glm::vec3(-3.1f, 9.0f, -0.9f));
            gameOver = true;
            renderer.setBlending(true);
        }
    } else if (scene == "level4" || scene == "won") {
        currentLevel = 4;
        openAllHiddenTops();
        aimCamera(glm::vec3(-2.5f, 9.3f, 0.9f), glm::vec3(-2.5f, 8.7f, 2.6f));
        if (scene == "won") {
            // Key A used on door 6, seen from the balcony in front of it, after the winning click.
            holdingKeyA = true;
            hiddenTarget = 9;
            animateHiddenBoxes();
            aimCamera(glm::vec3(-1.2f, 10.4f, -0.16f), glm::vec3(0.054f, 10.25f, -0.16f));
            renderer.setBlending(true);
        }
    } else {
        usage(("unknown scene " + scene).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    GLFWwindow* window = startHiddenGame(options.width, options.height, options.testing);
    if (window == nullptr) {
        std::cerr << "velmora_screenshot: no OpenGL 3.3 context (run under xvfb-run)\n";
        return 1;
    }
    captureWidth = options.width;
    captureHeight = options.height;
    applyScene(options.scene);
    if (options.level != 0) {
        currentLevel = options.level;
    }
    if (options.hasEye) {
        aimCamera(options.eye, options.hasLook ? options.look : options.eye + playerCamera->front);
    }
    visibility = options.visibility;
    viewFrustumMode = options.culling;
    nearestNeighborMode = options.nearest;
    mipMapping = options.mipmap;
    mipMapLinear = options.mipmap;
    if (options.wireframe) {
        renderer.setWireframe(true);
    }
    // A few frames of the player's frame loop, so the one-time sky box and the shadow map of the
    // final view are in place; the last one is captured instead of presented.
    std::ostringstream console;
    installScriptedWindow(1.0f / 60.0f, glfwSwapBuffers);
    FrameLoopState loop;
    const glm::vec3 eye = playerCamera->position;
    for (int i = 0; i < options.frames; ++i) {
        // The board holds the camera at its own eye; a chosen eye wins here.
        playerCamera->position = eye;
        if (i + 1 == options.frames) {
            capturePath = options.out;
            setScriptedPresent(captureFrame);
        }
        runFrame(window, loop, console);
    }
    const bool written = captured;
    uninstallScriptedWindow();
    std::cout << console.str();
    renderer.releaseAssets();
    glfwTerminate();
    if (!written) {
        std::cerr << "velmora_screenshot: cannot write " << options.out << "\n";
        return 1;
    }
    return 0;
}
