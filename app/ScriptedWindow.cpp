#include "app/ScriptedWindow.h"

#include <array>
#include <vector>

#include "camera/Camera.h"
#include "camera/KeyInput.h"

namespace {

struct QueuedEvent {
    enum class Kind { key, button, cursor } kind = Kind::key;
    int code = 0;
    int action = 0;
    double x = 0.0;
    double y = 0.0;
};

// The scripted window's whole state.
double clockStep = 0.0;
double clockNow = 0.0;
PresentFunction presentFrame = nullptr;
bool closeMarked = false;
std::array<bool, 512> keysHeld{};
// Kept with its capacity across polls, so steady frames allocate nothing.
std::vector<QueuedEvent> queued;
KeyHandler keyHandler = nullptr;
ButtonHandler buttonHandler = nullptr;
CursorHandler cursorHandler = nullptr;
// The window the loop registered its callbacks for; the callbacks receive it.
GLFWwindow* registeredWindow = nullptr;
double cursorX = 0.0;
double cursorY = 0.0;

double readClock() {
    clockNow += clockStep;
    return clockNow;
}

void present(GLFWwindow* window) {
    if (presentFrame != nullptr) {
        presentFrame(window);
    }
}

void deliver(const QueuedEvent& event) {
    switch (event.kind) {
        case QueuedEvent::Kind::key:
            if (event.code >= 0 && event.code < static_cast<int>(keysHeld.size())) {
                keysHeld[static_cast<std::size_t>(event.code)] = event.action != releaseAction;
            }
            if (keyHandler != nullptr) {
                keyHandler(registeredWindow, event.code, 0, event.action, 0);
            }
            break;
        case QueuedEvent::Kind::button:
            if (buttonHandler != nullptr) {
                buttonHandler(registeredWindow, event.code, event.action, 0);
            }
            break;
        case QueuedEvent::Kind::cursor:
            cursorX = event.x;
            cursorY = event.y;
            if (cursorHandler != nullptr) {
                cursorHandler(registeredWindow, event.x, event.y);
            }
            break;
    }
}

void pollEvents() {
    // A callback may queue further events (none of ours does); those wait for the next poll.
    const std::size_t count = queued.size();
    for (std::size_t i = 0; i < count; ++i) {
        deliver(queued[i]);
    }
    queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(count));
}

bool shouldClose(GLFWwindow*) {
    return closeMarked;
}

void markToClose(GLFWwindow*) {
    closeMarked = true;
}

KeyHandler setKeyHandler(GLFWwindow* window, KeyHandler handler) {
    registeredWindow = window;
    const KeyHandler previous = keyHandler;
    keyHandler = handler;
    return previous;
}

ButtonHandler setButtonHandler(GLFWwindow* window, ButtonHandler handler) {
    registeredWindow = window;
    const ButtonHandler previous = buttonHandler;
    buttonHandler = handler;
    return previous;
}

CursorHandler setCursorHandler(GLFWwindow* window, CursorHandler handler) {
    registeredWindow = window;
    const CursorHandler previous = cursorHandler;
    cursorHandler = handler;
    return previous;
}

void moveCursor(GLFWwindow*, double x, double y) {
    cursorX = x;
    cursorY = y;
}

// The scripted window always has the focus.
bool cursorWhereLeft(GLFWwindow*, double* x, double* y) {
    *x = cursorX;
    *y = cursorY;
    return true;
}

bool pollScriptedKey(GLFWwindow*, int keyCode) {
    return scriptedKeyHeld(keyCode);
}

const WindowSystem scriptedWindowSystem = {
    readClock,     present,          pollEvents,       shouldClose, markToClose,
    setKeyHandler, setButtonHandler, setCursorHandler, moveCursor,  cursorWhereLeft,
};

}  // namespace

void installScriptedWindow(float frameSeconds, PresentFunction present) {
    // The step as a float, widened: every difference of two readings is then exactly that float.
    clockStep = static_cast<double>(frameSeconds);
    clockNow = 0.0;
    presentFrame = present;
    closeMarked = false;
    keysHeld.fill(false);
    queued.clear();
    queued.reserve(64);
    keyHandler = nullptr;
    buttonHandler = nullptr;
    cursorHandler = nullptr;
    registeredWindow = nullptr;
    // The pointer starts where the game last saw it, so a driver's first move is a small one.
    cursorX = lastCursorX;
    cursorY = lastCursorY;
    windowSystem = scriptedWindowSystem;
    setKeyPoller(pollScriptedKey);
}

void uninstallScriptedWindow() {
    windowSystem = glfwWindowSystem;
    setKeyPoller(nullptr);
    queued.clear();
}

void setScriptedPresent(PresentFunction present) {
    presentFrame = present;
}

void queueKeyEvent(int keyCode, int action) {
    queued.push_back({QueuedEvent::Kind::key, keyCode, action, 0.0, 0.0});
}

void queueButtonEvent(int button, int action) {
    queued.push_back({QueuedEvent::Kind::button, button, action, 0.0, 0.0});
}

void queueCursorEvent(double x, double y) {
    queued.push_back({QueuedEvent::Kind::cursor, 0, 0, x, y});
}

bool scriptedKeyHeld(int keyCode) {
    return keyCode >= 0 && keyCode < static_cast<int>(keysHeld.size()) &&
           keysHeld[static_cast<std::size_t>(keyCode)];
}

double scriptedCursorX() {
    return cursorX;
}

double scriptedCursorY() {
    return cursorY;
}
