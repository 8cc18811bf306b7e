#pragma once

#include <string>
#include <utility>
#include <vector>

// Runs a program as a child process with piped standard streams, for tests of the real binary and
// of fatal paths that end the process.
struct ProcessResult {
    // Exit status when the child exited normally, otherwise -1.
    int exitCode = -1;
    // Signal that ended the child, 0 when it exited normally.
    int termSignal = 0;
    // True when the child was still running at the deadline and had to be killed.
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::vector<std::string> args;  // args[0] is the program path
    std::string workDir;            // empty: the current directory
    // Environment changes: a value replaces the variable; unsetEnv removes it.
    std::vector<std::pair<std::string, std::string>> setEnv;
    std::vector<std::string> unsetEnv;
};

class ChildProcess {
public:
    explicit ChildProcess(const ProcessOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    void writeInput(const std::string& text);
    void closeInput();
    // Snapshot of what the child has written so far.
    std::string outSoFar();
    // Waits until standard output holds the text; false when the child ends or the timeout passes
    // first.
    bool waitForOutput(const std::string& text, double timeoutSeconds);
    // True when the child is still running once the given time has passed (it is not reaped).
    bool runningAfter(double seconds);
    // The child has ended (it is left for wait to reap).
    bool ended();
    // Waits until the child ends or the timeout passes (then kills it).
    ProcessResult wait(double timeoutSeconds);

private:
    int pid_ = -1;
    int inFd_ = -1;
    // The child writes its standard output and error to these files.
    std::string outPath_;
    std::string errPath_;
    bool done_ = false;
    ProcessResult result_;
};

// Starts the program, writes the input, closes standard input and waits.
ProcessResult runProcess(const ProcessOptions& options, const std::string& input,
                         double timeoutSeconds);
