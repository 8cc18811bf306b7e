#include "support/Process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

namespace {
std::mutex outputMutex;
}

ChildProcess::ChildProcess(const ProcessOptions& options) {
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    // A child that exits early must not kill the test with SIGPIPE when input is still written.
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
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
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    inFd_ = inPipe[1];
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
    reader_ = std::thread([this] {
        pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
        int open = 2;
        char buffer[4096];
        while (open > 0) {
            if (poll(fds, 2, -1) < 0) {
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    fds[i].fd = -1;
                    --open;
                    continue;
                }
                std::lock_guard<std::mutex> lock(outputMutex);
                (i == 0 ? out_ : err_).append(buffer, static_cast<size_t>(n));
            }
        }
    });
}

ChildProcess::~ChildProcess() {
    if (!done_) {
        wait(0.0);
    }
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
    std::lock_guard<std::mutex> lock(outputMutex);
    return out_;
}

namespace {

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

bool ChildProcess::ended() {
    siginfo_t info{};
    return done_ ||
           (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_);
}

bool ChildProcess::waitForOutput(const std::string& text, double timeoutSeconds) {
    const auto seen = [&] { return outSoFar().find(text) != std::string::npos; };
    if (!pollUntil(timeoutSeconds, [&] { return seen() || ended(); })) {
        return false;
    }
    // What it wrote before it ended may still be in the pipe.
    if (!seen()) {
        usleep(100000);
    }
    return seen();
}

bool ChildProcess::runningAfter(double seconds) {
    return !pollUntil(seconds, [this] { return ended(); });
}

ProcessResult ChildProcess::wait(double timeoutSeconds) {
    if (done_) {
        return result_;
    }
    closeInput();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            result_.timedOut = true;
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        usleep(10000);
    }
    reader_.join();
    close(outFd_);
    close(errFd_);
    if (WIFEXITED(status)) {
        result_.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result_.termSignal = WTERMSIG(status);
    }
    result_.out = out_;
    result_.err = err_;
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
