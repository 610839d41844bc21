#pragma once
// A fresh folder for a test's files; the test runs inside it and the folder
// is removed afterwards.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kestrune-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }

    static void Write(const std::string& name, const std::string& bytes) {
        std::filesystem::path p(name);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string path_;
    std::filesystem::path previous_;
};
