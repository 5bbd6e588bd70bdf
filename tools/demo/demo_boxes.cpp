// mirelko-demo-boxes: gives a demo profile directory a box file with a few enabled boxes, unless
// it has one already, so that what a visitor changed in the demo stays.
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "profile/box_config.h"
#include "profile/file_store.h"

namespace {

struct DemoBox {
    const char* location;  // Windows-1252, as the file holds it
    profile::Octets address;
    bool enabled;
};

constexpr DemoBox kDemoBoxes[] = {
    {"Pumpwerk Nord", {10, 20, 1, 11}, true},
    {"Lager Halle 2", {10, 20, 1, 12}, true},
    {"Empfang", {10, 20, 1, 13}, true},
    {"Werkstatt", {10, 20, 1, 14}, false},
    {"Tor S\xFC"
     "d",
     {10, 20, 1, 15},
     true},
    {"K\xFChlraum", {10, 20, 1, 16}, true},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "Usage: mirelko-demo-boxes PROFILE_DIR\n");
        return 2;
    }
    ::setenv("MIRELKO_PROFILE_DIR", argv[1], 1);
    const std::string path = profile::ResolveProfilePath(profile::kBoxConfigFile);
    if (profile::ReadFileBytes(path) || errno != ENOENT) return 0;

    profile::BoxTable table;
    int offset = 10;
    for (std::size_t i = 0; i < std::size(kDemoBoxes); ++i, offset += 10)
        table[i] = {kDemoBoxes[i].enabled ? 1 : 0, kDemoBoxes[i].location, kDemoBoxes[i].address,
                    offset};
    if (!profile::WriteBoxTable(table)) {
        std::fprintf(stderr, "mirelko-demo-boxes: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    return 0;
}
