// The start-up dialogue and command line, driven through string streams: the number rules, the
// failed-stream rules, and full screen versus windowed.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "camera/Settings.h"

namespace {

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        windowWidth = 0;
        windowHeight = 0;
        testingMode = false;
    }
    void TearDown() override { SetUp(); }

    bool commandLine(std::initializer_list<const char*> arguments) {
        std::vector<const char*> argv{"./velmora"};
        argv.insert(argv.end(), arguments);
        return readCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    }
    bool dialogue(const std::string& answers) {
        std::istringstream in(answers);
        return askStartupSettings(in, out);
    }
    std::ostringstream out;
    std::ostringstream err;
};

const char* const testingQuestion =
    "If you want to start the programm in testing mode\n (for shadow Mapping -> fixed light "
    "position and direction)\n enter '1' otherwise anything else\n";

TEST_F(StartupTest, CommandLineIsOnlyReadWithTwoArguments) {
    EXPECT_TRUE(commandLine({"1024"}));
    EXPECT_EQ(windowWidth, 0);
    EXPECT_EQ(out.str(), "");

    EXPECT_TRUE(commandLine({" 1024", "768px", "extra"}));
    EXPECT_EQ(windowWidth, 1024);
    EXPECT_EQ(windowHeight, 768);
    EXPECT_EQ(out.str(), "You are executing './velmora'\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(StartupTest, WindowedDialogueAsksForTheSizeThenTheTestingMode) {
    EXPECT_FALSE(dialogue("0\n800\n600\n0\n"));
    EXPECT_EQ(out.str(),
              std::string("Pleace enter '1' if you want to start in full screen mode and `0` "
                          "otherwise\n than press Enter afterwords\n"
                          "Pleace enter your desired window width and Press Enter\n"
                          "Pleace enter your desired window height and Press Enter\n") +
                  testingQuestion);
}

TEST_F(StartupTest, FullScreenAsksNoSizeAndEndsWithTheInformationText) {
    EXPECT_TRUE(dialogue("1\n1\n"));
    EXPECT_EQ(out.str().find("window width"), std::string::npos);
    // The information text follows without a line break.
    EXPECT_TRUE(out.str().ends_with(
        "Shadowmap informations:\n Calls Shaders in Main main()\n creats depth Texture in Main "
        "creatDeathTexture\n Depth Shader is Shadow_depth_frag\ver \n general Shader containig "
        "pass2 is TextureFragVer"));
}

// Only exactly 1 chooses full screen or the testing mode; a failed read freezes the rest of the
// dialogue. Every answer starts from the command line's 800 x 600. What reads the console next
// (the pause after a fatal message) starts at a fresh line, also after a failed read.
TEST_F(StartupTest, AnswersChooseTheModeAndTheSize) {
    const struct {
        const char* answers;
        bool fullScreen;
        int width;
        int height;
        bool testing;
    } cases[] = {
        {"0\n1024\n768\n0\nnext", false, 1024, 768, false},
        {"0 1024 768 0 and more\nnext", false, 1024, 768, false},
        {"2\n640\n480\n2\nnext", false, 640, 480, false},
        {"0\n640\n480\n1\nnext", false, 640, 480, true},
        {"1\n1\nnext", true, 800, 600, true},
        {"yes\nnext", false, 800, 600, false},
        // A word as the first answer: windowed, and the sizes keep the command line's values.
        {"abc def\nnext", false, 800, 600, false},
        // A word as the width gives 0, and the height and testing answers are never read.
        {"0\nwide\nnext", false, 0, 600, false},
        {"0\n1024\n", false, 1024, 600, false},
        // Full screen answered with extra text: the text fails the testing question.
        {"1abc\nnext", true, 800, 600, false},
        // A size beyond 32 bits saturates and fails the stream.
        {"0\n99999999999\nnext", false, INT_MAX, 600, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers);
        windowWidth = 800;
        windowHeight = 600;
        testingMode = false;
        std::istringstream in(c.answers);
        EXPECT_EQ(askStartupSettings(in, out), c.fullScreen);
        EXPECT_EQ(windowWidth, c.width);
        EXPECT_EQ(windowHeight, c.height);
        EXPECT_EQ(testingMode, c.testing);
        in.clear();
        std::string rest;
        std::getline(in, rest);
        EXPECT_EQ(rest, std::string(c.answers).ends_with("next") ? "next" : "");
    }
}

}  // namespace
