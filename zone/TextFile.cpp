#include "zone/TextFile.h"

bool TextFile::Open()
{
    if (file_)
        return true;
    file_ = std::fopen(path_.c_str(), "r+b");
    atEnd_ = false;
    return file_ != nullptr;
}

bool TextFile::Create()
{
    Close();
    FILE* created = std::fopen(path_.c_str(), "w");
    if (!created)
        return false;
    std::fclose(created);
    return Open();
}

void TextFile::Close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool TextFile::Write(const std::string& bytes)
{
    if (!file_)
        return false;
    // Switching from reading to writing on an update stream needs a seek.
    std::fseek(file_, 0, SEEK_END);
    // Flushed at once: a full disk or a size limit shows here, not unseen at the close.
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() && std::fflush(file_) == 0;
}

bool TextFile::WriteLine(const std::string& text) { return Write(text + "\r\n"); }

std::string TextFile::ReadLine()
{
    std::string line;
    if (!file_) {
        atEnd_ = true;
        return line;
    }
    for (;;) {
        const int c = std::fgetc(file_);
        if (c == EOF) {
            atEnd_ = true;
            break;
        }
        if (c == '\r')
            continue;
        if (c == '\n') {
            // Look one byte ahead so that the end is seen right after the last line.
            const int next = std::fgetc(file_);
            if (next == EOF)
                atEnd_ = true;
            else
                std::ungetc(next, file_);
            break;
        }
        line.push_back(char(c));
    }
    return line;
}

bool WriteTextFile(const std::string& folder, const std::string& name, const std::string& text, bool append)
{
    TextFile file(folder + name);
    if (!file.Open() && !file.Create())
        return false;
    if (!append && !file.Create())
        return false;
    return file.Write(text);
}
