// Linked into every GL test program: its contexts, the game's hidden start and the shared test
// context alike, are debug contexts, and a failing debug message (an error, undefined or
// unportable behaviour, high or medium severity) fails the test whose OpenGL call caused it. The
// other messages are listed when the program ends, after its windows and contexts are closed.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/Game.h"
#include "support/GlContext.h"
#include "tools/gldebug/DebugContext.h"

namespace {

void failRunningTest(const char* description) {
    ADD_FAILURE() << "OpenGL debug message: " << description;
}

void startDebugOutput() {
    refuseOtherDriver();
    installDebugOutput();
}

class DebugRun : public testing::Environment {
public:
    void SetUp() override {
        setDebugFailureHandler(failRunningTest);
        hiddenStartHooks = {requestDebugContext, startDebugOutput};
    }
    void TearDown() override {
        closeGlContexts();
        printDebugMessages(stdout);
        std::fflush(stdout);
    }
};

testing::Environment* const debugRun = testing::AddGlobalTestEnvironment(new DebugRun);

}  // namespace
