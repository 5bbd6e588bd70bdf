// Saves the box table over and over, as fast as the disk allows, alternating between
// faults::Table(first) and faults::Table(first + 1); writes one line once it has begun.
//   save_loop <first variant> [as-user]
// With as-user, root saves as the ordinary user nobody.
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "tests/faults/tables.h"

int main(int argc, char** argv) {
    const int first = argc > 1 ? std::atoi(argv[1]) : 0;
#ifndef _WIN32
    if (argc > 2 && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
#endif
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
