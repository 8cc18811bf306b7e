#include "support/Process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

// A fresh file for one of the child's output streams, open for writing.
int scratchFile(std::string& path) {
    path = (std::filesystem::temp_directory_path() / "velmora-out-XXXXXX").string();
    return mkstemp(path.data());
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Asks every 10 ms until the condition holds (true) or the time has passed (false).
template <typename Condition>
bool pollUntil(double seconds, Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        usleep(10000);
    }
    return true;
}

}  // namespace

ChildProcess::ChildProcess(const ProcessOptions& options) {
    int inPipe[2] = {-1, -1};
    const int outFd = scratchFile(outPath_);
    const int errFd = scratchFile(errPath_);
    if (pipe(inPipe) != 0 || outFd < 0 || errFd < 0) {
        throw std::runtime_error("no pipe or output file");
    }
    // A child that exits early must not kill the test with SIGPIPE when input is still written.
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        dup2(inPipe[0], 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        for (int fd : {inPipe[0], inPipe[1], outFd, errFd}) {
            close(fd);
        }
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& name : options.unsetEnv) {
            unsetenv(name.c_str());
        }
        for (const auto& [name, value] : options.setEnv) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv;
        for (const auto& arg : options.args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    for (int fd : {inPipe[0], outFd, errFd}) {
        close(fd);
    }
    inFd_ = inPipe[1];
}

ChildProcess::~ChildProcess() {
    wait(0.0);
    std::remove(outPath_.c_str());
    std::remove(errPath_.c_str());
}

void ChildProcess::writeInput(const std::string& text) {
    size_t written = 0;
    while (inFd_ >= 0 && written < text.size()) {
        const ssize_t n = write(inFd_, text.data() + written, text.size() - written);
        if (n <= 0) {
            break;
        }
        written += static_cast<size_t>(n);
    }
}

void ChildProcess::closeInput() {
    if (inFd_ >= 0) {
        close(inFd_);
        inFd_ = -1;
    }
}

std::string ChildProcess::outSoFar() {
    return contents(outPath_);
}

bool ChildProcess::ended() {
    siginfo_t info{};
    return done_ ||
           (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_);
}

bool ChildProcess::waitForOutput(const std::string& text, double timeoutSeconds) {
    const auto seen = [&] { return outSoFar().find(text) != std::string::npos; };
    return pollUntil(timeoutSeconds, [&] { return seen() || ended(); }) && seen();
}

bool ChildProcess::runningAfter(double seconds) {
    return !pollUntil(seconds, [this] { return ended(); });
}

ProcessResult ChildProcess::wait(double timeoutSeconds) {
    if (done_) {
        return result_;
    }
    closeInput();
    int status = 0;
    if (!pollUntil(timeoutSeconds, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) {
        result_.timedOut = true;
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    if (WIFEXITED(status)) {
        result_.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result_.termSignal = WTERMSIG(status);
    }
    result_.out = contents(outPath_);
    result_.err = contents(errPath_);
    done_ = true;
    return result_;
}

ProcessResult runProcess(const ProcessOptions& options, const std::string& input,
                         double timeoutSeconds) {
    ChildProcess child(options);
    child.writeInput(input);
    child.closeInput();
    return child.wait(timeoutSeconds);
}
