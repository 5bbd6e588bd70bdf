// Runs one of the project's programs as a person would, and collects what it said.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace test {

struct Finished {
    int exitCode = -1;  // -1 when it did not exit by itself
    int signal = 0;     // the signal that ended it, if one did
    bool timedOut = false;
    std::string out, err;
};

class ChildProcess {
  public:
    // Starts `program` with `args` in this process's environment.
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool started() const { return pid_ > 0; }
    void Signal(int signal) const;
    // Reads its output to the end and reaps it; after `timeoutMs` it is killed.
    Finished Wait(int timeoutMs = 20000);

  private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
};

inline Finished Run(const std::string& program, const std::vector<std::string>& args) {
    return ChildProcess(program, args).Wait();
}

}  // namespace test
