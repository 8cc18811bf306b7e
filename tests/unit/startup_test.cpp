// The start-up dialogue and command line, driven through string streams: the number rules, the
// failed-stream rules, and full screen versus windowed.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

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

TEST_F(StartupTest, CommandLineStopsAtTheFirstArgumentThatIsNotANumber) {
    EXPECT_FALSE(commandLine({"800x600", "abc"}));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(err.str(), "ERROR: Could not parse second dommand-line-argument\n");

    err.str("");
    EXPECT_FALSE(commandLine({"", "600"}));
    EXPECT_EQ(err.str(), "ERROR: Could not parse first command-line-argument\n");

    // A number beyond 32 bits fails the stream like a word does.
    err.str("");
    EXPECT_FALSE(commandLine({"4294967296", "600"}));
    EXPECT_EQ(err.str(), "ERROR: Could not parse first command-line-argument\n");
}

TEST_F(StartupTest, WindowedDialogueAsksForTheSizeThenTheTestingMode) {
    EXPECT_FALSE(dialogue("0\n800\n600\n0\n"));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_FALSE(testingMode);
    EXPECT_EQ(out.str(),
              std::string("Pleace enter '1' if you want to start in full screen mode and `0` "
                          "otherwise\n than press Enter afterwords\n"
                          "Pleace enter your desired window width and Press Enter\n"
                          "Pleace enter your desired window height and Press Enter\n") +
                  testingQuestion);
}

TEST_F(StartupTest, OnlyExactlyOneChoosesFullScreenOrTestingMode) {
    EXPECT_TRUE(dialogue("1\n1\n"));
    EXPECT_TRUE(testingMode);
    // Full screen asks no size; the information text follows without a line break.
    EXPECT_EQ(out.str().find("window width"), std::string::npos);
    const std::string information =
        "Shadowmap informations:\n Calls Shaders in Main main()\n creats depth Texture in Main "
        "creatDeathTexture\n Depth Shader is Shadow_depth_frag\ver \n general Shader containig "
        "pass2 is TextureFragVer";
    EXPECT_EQ(out.str().substr(out.str().size() - information.size()), information);

    testingMode = false;
    EXPECT_FALSE(dialogue("2\n640\n480\n2\n"));
    EXPECT_FALSE(testingMode);
    EXPECT_FALSE(dialogue("yes\n"));
}

TEST_F(StartupTest, AFailedReadFreezesTheRestOfTheDialogue) {
    // A word as the first answer: windowed, and the sizes keep the command line's values.
    windowWidth = 800;
    windowHeight = 600;
    EXPECT_FALSE(dialogue("abc\n1024\n768\n1\n"));
    EXPECT_EQ(windowWidth, 800);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_FALSE(testingMode);

    // A word as the width gives 0, and the height and testing answers are never read.
    EXPECT_FALSE(dialogue("0\nwide\n768\n1\n"));
    EXPECT_EQ(windowWidth, 0);
    EXPECT_EQ(windowHeight, 600);
    EXPECT_FALSE(testingMode);

    // End of input in the middle.
    EXPECT_FALSE(dialogue("0\n1024\n"));
    EXPECT_EQ(windowWidth, 1024);
    EXPECT_EQ(windowHeight, 600);

    // Full screen answered with extra text: the text fails the testing question.
    EXPECT_TRUE(dialogue("1abc\n1\n"));
    EXPECT_FALSE(testingMode);

    // A size beyond 32 bits saturates and fails the stream.
    EXPECT_FALSE(dialogue("0\n99999999999\n600\n1\n"));
    EXPECT_EQ(windowWidth, INT_MAX);
    EXPECT_FALSE(testingMode);
}

TEST_F(StartupTest, TheDialogueTakesTheRestOfItsLastAnswersLine) {
    // What reads the console next (the pause after a fatal message) starts at a fresh line, also
    // after a failed read.
    for (const char* answers : {"0\n800\n600\n0\nnext", "0 0 600 0 and more\nnext", "1\n1\nnext",
                                "0\nwide\nnext", "abc def\nnext"}) {
        SCOPED_TRACE(answers);
        std::istringstream in(answers);
        askStartupSettings(in, out);
        in.clear();
        std::string rest;
        std::getline(in, rest);
        EXPECT_EQ(rest, "next");
    }
}

TEST_F(StartupTest, SizesThatWouldAbortTheWindowSystemAreKeptFromIt) {
    EXPECT_TRUE(isOpenableWindowSize(800, 600));
    EXPECT_TRUE(isOpenableWindowSize(1, largestWindowSide));
    // The window system refuses a side of 0 itself, with its own message.
    EXPECT_TRUE(isOpenableWindowSize(0, 600));
    EXPECT_FALSE(isOpenableWindowSize(800, -600));
    EXPECT_FALSE(isOpenableWindowSize(INT_MAX, 600));
    EXPECT_FALSE(isOpenableWindowSize(800, largestWindowSide + 1));
}

}  // namespace
