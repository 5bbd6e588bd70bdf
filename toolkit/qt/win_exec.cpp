// WinExec on POSIX: the first word of the command is the program, a bare name found in the
// program's own folder, then on PATH; it is started and left to run.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/win_api.h"

extern char** environ;

namespace {

constexpr UINT kStarted = 33;
constexpr UINT kOutOfResources = 0;
constexpr UINT kNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr UINT kNotAProgram = 11;  // ERROR_BAD_FORMAT

// Splits like the Windows runtime: blanks separate words, double quotes group them, and
// backslashes are literal except before a quote (2n backslashes and a quote: n and a grouping
// quote; 2n + 1: n and a literal quote).
std::vector<std::string> SplitCommandLine(const char* text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\\') {
            std::size_t slashes = 0;
            while (p[slashes] == '\\') ++slashes;
            if (p[slashes] == '"') {
                word.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    word += '"';
                    p += slashes;
                } else {
                    p += slashes - 1;
                }
            } else {
                word.append(slashes, '\\');
                p += slashes - 1;
            }
            inWord = true;
        } else if (*p == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += *p;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string OwnFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string folder(path, static_cast<std::size_t>(length));
    return folder.substr(0, folder.find_last_of('/'));
}

// The program's own folder, then PATH as execvp reads it. Never the current folder on its own:
// a file planted there (a download folder, /tmp) must not run in place of the installed program.
// An empty PATH entry still means the current folder, because whoever set PATH wrote it.
std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders{OwnFolder()};
    const char* path = std::getenv("PATH");
    const std::string list = path == nullptr ? "/bin:/usr/bin" : path;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        folders.push_back(end == start ? "." : list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::optional<std::string> FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        struct stat info {};
        if (stat(name.c_str(), &info) != 0) return std::nullopt;
        return name;
    }
    for (const std::string& folder : SearchFolders()) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (IsFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

UINT WinExec(LPCSTR commandLine, UINT) {
    const std::vector<std::string> words =
        SplitCommandLine(commandLine == nullptr ? "" : commandLine);
    if (words.empty()) return kNotFound;
    const std::optional<std::string> program = FindProgram(words.front());
    if (!program) return kNotFound;

    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    // One thread starts the program and reaps it when it ends (the caller never waits, and no
    // zombie is left), so a thread that cannot be had means no program started. It reads the
    // program and argv only until it hands back the result, which this thread waits for, and
    // owns the promise, so the result's state outlives the hand-over.
    std::promise<int> promise;
    std::future<int> spawned = promise.get_future();
    try {
        std::thread([promise = std::move(promise), &program, &argv]() mutable {
            pid_t child = 0;
            const int error =
                posix_spawn(&child, program->c_str(), nullptr, nullptr, argv.data(), environ);
            promise.set_value(error);
            int status = 0;
            while (error == 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::exception&) {  // no thread to be had, or no memory for one
        return kOutOfResources;
    }
    const int error = spawned.get();
    if (error == 0) return kStarted;
    if (error == EAGAIN || error == ENOMEM) return kOutOfResources;
    return error == ENOENT ? kNotFound : kNotAProgram;
}
