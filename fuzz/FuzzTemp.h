// A folder of this fuzzing process in the temporary folder ($TMPDIR, else
// /tmp), removed when the process ends normally.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

class FuzzTempFolder {
public:
    // "<temp>/mh-fuzz-<tag>-XXXXXX", ending with '/'.
    explicit FuzzTempFolder(const char* tag) {
        std::string t =
            (std::filesystem::temp_directory_path() / ("mh-fuzz-" + std::string(tag) + "-XXXXXX"))
                .string();
        std::vector<char> tmpl(t.begin(), t.end());
        tmpl.push_back(0);
        if (::mkdtemp(tmpl.data())) path_ = std::string(tmpl.data()) + "/";
    }
    ~FuzzTempFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    FuzzTempFolder(const FuzzTempFolder&) = delete;
    FuzzTempFolder& operator=(const FuzzTempFolder&) = delete;
    // Empty when the folder could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
