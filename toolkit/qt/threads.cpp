#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "toolkit/win_api.h"

std::uintptr_t _beginthread(void (*start)(void*), unsigned, void* argument) {
    static std::atomic<std::uintptr_t> nextHandle{1};
    try {
        // Never joined: like a runtime thread it ends with the process.
        std::thread(start, argument).detach();
    } catch (const std::system_error&) {
        return static_cast<std::uintptr_t>(-1);
    }
    return nextHandle++;
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
