// Makes shell_open_recorder (beside the test program) the program that opens .swf files and
// folders, and puts the classes back as they were afterwards. Wine's classes root does not
// merge the per-user classes in Software\Classes, so the recorder goes into
// HKEY_CLASSES_ROOT of the test prefix itself.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/disk_fixture.h"

class ShellOpenRecorder {
public:
    ShellOpenRecorder() = default;
    ShellOpenRecorder(const ShellOpenRecorder&) = delete;
    ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;
    ~ShellOpenRecorder() { Restore(); }

    // The recorder appends to log; call from the fixture's SetUp.
    void Install(const std::string& log) {
        log_ = log;
        char module[MAX_PATH];
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        std::string folder = module;
        folder.resize(folder.rfind('\\'));
        const std::string command =
            "\"" + folder + "\\shell_open_recorder.exe\" \"" + log_ + "\" \"%1\"";
        Override(".swf", kProgId);
        Override(std::string(kProgId) + "\\shell\\open\\command", command);
        Override("Directory\\shell\\open\\command", command);
        Override("Folder\\shell\\open\\command", command);
    }
    // Puts the classes back; the destructor does it too.
    void Restore() {
        for (auto it = overrides_.rbegin(); it != overrides_.rend(); ++it) {
            if (!it->created.empty()) {
                RegDeleteTreeA(HKEY_CLASSES_ROOT, it->created.c_str());
            } else if (it->old) {
                RegSetKeyValueA(HKEY_CLASSES_ROOT, it->key.c_str(), nullptr, REG_SZ,
                                it->old->c_str(), static_cast<DWORD>(it->old->size() + 1));
            } else {
                RegDeleteKeyValueA(HKEY_CLASSES_ROOT, it->key.c_str(), nullptr);
            }
        }
        overrides_.clear();
    }

    // The lines of the recorder once there are at least count of them (or after a generous
    // wait for a slow machine): each the path handed over and the first bytes of that file.
    std::vector<std::pair<std::string, std::string>> Opened(std::size_t count) const {
        std::vector<std::pair<std::string, std::string>> lines;
        for (int attempt = 0; attempt < 600 && lines.size() < count; ++attempt) {
            if (attempt > 0) Sleep(50);
            lines.clear();
            const std::string log = disk::ReadAll(log_);
            if (log == "<missing>") continue;
            for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
                 start = end + 1) {
                const std::string line = log.substr(start, end - start);
                const std::size_t tab = line.find('\t');
                lines.emplace_back(line.substr(0, tab), line.substr(tab + 1));
            }
        }
        return lines;
    }

private:
    static constexpr char kProgId[] = "MoravelTests.Recorder";

    // Sets the default value of key, remembering the topmost key it had to create or else the
    // value it replaced.
    void Override(const std::string& key, const std::string& value) {
        Saved saved{key, {}, std::nullopt};
        for (std::size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
            HKEY probe = nullptr;
            const std::string part = key.substr(0, end);
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, part.c_str(), 0, KEY_READ, &probe) !=
                ERROR_SUCCESS) {
                saved.created = part;
                break;
            }
            RegCloseKey(probe);
            if (end == std::string::npos) break;
        }
        if (saved.created.empty()) {
            char buffer[1024];
            DWORD size = sizeof buffer;
            if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                             buffer, &size) == ERROR_SUCCESS)
                saved.old = buffer;
        }
        overrides_.push_back(saved);
        ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                                  static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }

    struct Saved {
        std::string key, created;
        std::optional<std::string> old;
    };
    std::vector<Saved> overrides_;
    std::string log_;
};
