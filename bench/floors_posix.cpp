// The floors with the POSIX calls.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/bench_table.h"
#include "bench/floors.h"

namespace bench {

namespace {

int g_sink = 0;  // keeps the bytes read alive

void Die(const char* what) {
    std::perror(what);
    std::exit(1);
}

}  // namespace

double ReadFloor(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) Die("floor size");
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    const double us = Microseconds([&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) Die("floor open");
        std::unique_ptr<char[]> bytes(new char[size + 1]);
        const ssize_t got = ::read(fd, bytes.get(), size + 1);
        ::close(fd);
        g_sink += got > 0 ? bytes[got - 1] : 0;
    });
    return g_sink == -1 ? 0 : us;
}

const char kDurableWriteSteps[] = "write+fsync+rename+dir fsync";

double DurableWriteFloor(const std::string& dir, const std::string& bytes) {
    return Microseconds([&] {
        const std::string temp = dir + "/floor.tmp", path = dir + "/floor.ini";
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
            ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
            Die("floor write");
        int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 || ::fsync(dirFd) != 0) Die("floor directory sync");
        ::close(dirFd);
    });
}

std::string LoadAverage() {
    double load[1];
    if (getloadavg(load, 1) != 1) return "";
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", load[0]);
    return text;
}

std::string MakeProfileDirectory() {
    char pattern[] = "/tmp/mirelko-bench-XXXXXX";
    if (!mkdtemp(pattern)) Die("mkdtemp");
    setenv("MIRELKO_PROFILE_DIR", pattern, 1);
    return pattern;
}

}  // namespace bench
