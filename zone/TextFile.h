#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// A text file opened, used and closed within one operation. Lines end in CR LF
// when written; on reading, CR is dropped wherever it stands and LF ends a line.
class TextFile {
public:
    explicit TextFile(std::string path) : path_(std::move(path)) {}
    ~TextFile() { Close(); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Opens an existing file for reading and writing without truncating it.
    bool Open();
    // Creates the file (or empties it), then opens it as above.
    bool Create();
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    bool WriteLine(const std::string& text);
    bool Write(const std::string& bytes);
    std::string ReadLine();
    bool AtEnd() const { return atEnd_; }

private:
    std::string path_;
    FILE* file_ = nullptr;
    bool atEnd_ = false;
};

// Writes text to a file (relative to folder), appending or replacing. False when
// the file can be neither opened nor created.
bool WriteTextFile(const std::string& folder, const std::string& name, const std::string& text, bool append);

// The platform's path separator.
inline constexpr char kPathSeparator = char(std::filesystem::path::preferred_separator);
