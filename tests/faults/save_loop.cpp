// Saves the box table over and over, as fast as the disk allows, alternating between
// faults::Table(first) and faults::Table(first + 1); writes one line once it has begun.
//   save_loop <first variant> [as-user|once]
// With as-user, root saves as the ordinary user nobody. With once, it saves faults::Table(first)
// once and prints "saved", or how long it took to be refused and why.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "profile/file_store.h"
#include "tests/faults/tables.h"

int main(int argc, char** argv) {
    const int first = argc > 1 ? std::atoi(argv[1]) : 0;
#ifndef _WIN32
    if (argc > 2 && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
#endif
    if (argc > 2 && std::strcmp(argv[2], "once") == 0) {
        const auto start = std::chrono::steady_clock::now();
        const bool saved = profile::WriteBoxTable(faults::Table(first));
        const int error = errno;
        const auto took = std::chrono::steady_clock::now() - start;
        if (saved) return std::puts("saved") < 0;
        std::printf("refused after %lld ms: %s\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(took).count()),
                    profile::DescribeFailure(error, true).c_str());
        return 1;
    }
    std::puts("saving");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        if (!profile::WriteBoxTable(faults::Table(first + i % 2))) {
            std::perror("WriteBoxTable");
            return 1;
        }
#ifdef _WIN32
        // There the lock is polled: a saver that takes it again at once would keep another out
        // for long. A panel never saves back to back like this.
        Sleep(1);
#endif
    }
}
