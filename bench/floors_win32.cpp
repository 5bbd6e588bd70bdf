// The floors with the Win32 calls the file layer uses there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/bench_table.h"
#include "bench/floors.h"

namespace bench {

namespace {

int g_sink = 0;  // keeps the bytes read alive

void Die(const char* what) {
    std::fprintf(stderr, "%s: error %lu\n", what, GetLastError());
    std::exit(1);
}

}  // namespace

double ReadFloor(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) Die("floor size");
    const DWORD size = data.nFileSizeLow;
    const double us = Microseconds([&] {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) Die("floor open");
        std::unique_ptr<char[]> bytes(new char[size + 1]);
        DWORD got = 0;
        if (!ReadFile(file, bytes.get(), size + 1, &got, nullptr)) Die("floor read");
        CloseHandle(file);
        g_sink += got > 0 ? bytes[got - 1] : 0;
    });
    return g_sink == -1 ? 0 : us;
}

const char kDurableWriteSteps[] = "write+flush+move, write-through";

// There a move made with MOVEFILE_WRITE_THROUGH is durable when it returns.
double DurableWriteFloor(const std::string& dir, const std::string& bytes) {
    return Microseconds([&] {
        const std::string temp = dir + "\\floor.tmp", path = dir + "\\floor.ini";
        HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD wrote = 0;
        if (file == INVALID_HANDLE_VALUE ||
            !WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr) ||
            wrote != bytes.size() || !FlushFileBuffers(file) || !CloseHandle(file) ||
            !MoveFileExA(temp.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Die("floor write");
    });
}

std::string LoadAverage() { return ""; }

std::string MakeProfileDirectory() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir =
        std::string(temp) + "mirelko-bench-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(dir.c_str(), nullptr)) Die("CreateDirectoryA");
    SetEnvironmentVariableA("MIRELKO_PROFILE_DIR", dir.c_str());
    _putenv_s("MIRELKO_PROFILE_DIR", dir.c_str());
    return dir;
}

}  // namespace bench
