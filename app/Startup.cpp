#include "app/Startup.h"

#include <istream>
#include <limits>
#include <ostream>
#include <sstream>

#include "camera/Settings.h"

namespace {

const char* const fullScreenPrompt =
    "Pleace enter '1' if you want to start in full screen mode and `0` otherwise\n than press "
    "Enter afterwords";
const char* const testingPrompt =
    "If you want to start the programm in testing mode\n (for shadow Mapping -> fixed light "
    "position and direction)\n enter '1' otherwise anything else";
const char* const widthPrompt = "Pleace enter your desired window width and Press Enter";
const char* const heightPrompt = "Pleace enter your desired window height and Press Enter";
// Written without a line break; the \v is a real vertical tab.
const char* const testingInformation =
    "Shadowmap informations:\n Calls Shaders in Main main()\n creats depth Texture in Main "
    "creatDeathTexture\n Depth Shader is Shadow_depth_frag\ver \n general Shader containig pass2 "
    "is TextureFragVer";

// Reads a decimal integer the way a string stream does: leading white space skipped, reading
// stops at the first character that cannot continue the number.
bool parseArgument(const char* text, int& value) {
    std::istringstream stream(text);
    stream >> value;
    return !stream.fail();
}

void askTestingMode(std::istream& in, std::ostream& out) {
    out << testingPrompt << "\n";
    int answer = 0;
    in >> answer;
    if (answer == 1) {
        testingMode = true;
        out << testingInformation;
    }
}

// The answers are read as numbers, which leaves the rest of the last answer's line (at least its
// line end) in the input. The dialogue takes it, so that whatever reads the console next (the
// pause after a fatal message) starts at a fresh line. A failed stream stays failed.
void finishAnswerLine(std::istream& in) {
    const std::ios_base::iostate state = in.rdstate();
    in.clear();
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    in.setstate(state);
}

}  // namespace

bool readCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    if (argc < 3) {
        return true;
    }
    out << "You are executing '" << argv[0] << "'" << std::endl;
    if (!parseArgument(argv[1], windowWidth)) {
        err << "ERROR: Could not parse first command-line-argument" << std::endl;
        return false;
    }
    if (!parseArgument(argv[2], windowHeight)) {
        err << "ERROR: Could not parse second dommand-line-argument" << std::endl;
        return false;
    }
    return true;
}

bool askStartupSettings(std::istream& in, std::ostream& out) {
    out << fullScreenPrompt << "\n";
    int fullScreen = 0;
    in >> fullScreen;
    if (fullScreen == 1) {
        askTestingMode(in, out);
        finishAnswerLine(in);
        return true;
    }
    out << widthPrompt << "\n";
    in >> windowWidth;
    out << heightPrompt << "\n";
    in >> windowHeight;
    askTestingMode(in, out);
    finishAnswerLine(in);
    return false;
}

bool isOpenableWindowSize(int width, int height) {
    return width >= 0 && height >= 0 && width <= largestWindowSide && height <= largestWindowSide;
}
