#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes. Path() ends in the path separator.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Points HOME at a fresh temporary folder for as long as it lives, so the
// settings store under test is never the user's own.
class TempHome {
public:
    TempHome();
    ~TempHome();
    const std::string& Path() const { return dir_.Path(); }

private:
    TempDir dir_;
    std::string oldHome_;
    bool hadHome_ = false;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
