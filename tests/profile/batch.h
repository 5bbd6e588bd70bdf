// Writes collected and then saved as one, for the tests that change many keys in one save: other
// readers see all of them or none.
#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "profile/file_store.h"
#include "profile/ini_editor.h"

class Batch {
  public:
    explicit Batch(const char* fileName) : file_(fileName) {}

    void Write(const char* section, const char* key, const char* value) {
        refused_ |= !profile::IsWritableSection(section) || !profile::IsWritableKey(key) ||
                    !profile::IsWritableValue(value);
        ops_.push_back({section, key, value});
    }

    // False with errno set when any write is refused or the file cannot be saved; then nothing
    // at all is written.
    bool Commit() {
        if (refused_) {
            errno = EINVAL;
            return false;
        }
        return profile::UpdateFile(file_, [this](std::optional<std::string>& bytes) {
            std::string text = bytes.value_or(std::string());
            bool changed = false;
            for (const Op& op : ops_)
                changed |= profile::SetEntry(text, op.section, op.key, op.value);
            if (changed) bytes = std::move(text);
            return changed;
        });
    }

  private:
    struct Op {
        std::string section, key, value;
    };

    std::string file_;
    std::vector<Op> ops_;
    bool refused_ = false;
};
