// A fresh, private profile directory for each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ProfileDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/mirelko-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("MIRELKO_PROFILE_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(dir_);
        unsetenv("MIRELKO_PROFILE_DIR");
    }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }

    std::string Get(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary | std::ios::ate);
        std::string bytes(in ? static_cast<std::size_t>(in.tellg()) : 0, '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

    // Every entry of the directory, so tests can see that no temporary file is left over.
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                      std::filesystem::directory_iterator()));
    }

    std::string dir_;
};
