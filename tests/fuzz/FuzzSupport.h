#pragma once

// What the fuzz targets share: a reader that takes an input apart field by field,
// a check that fails loudly, and the scratch space of the process.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Reads past the end give zeros and empty text, so every input is a valid program.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    size_t Left() const { return size_ - std::min(at_, size_); }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t U16()
    {
        const uint16_t low = Byte();
        return uint16_t(low | uint16_t(Byte()) << 8);
    }
    uint32_t U32()
    {
        const uint32_t low = U16();
        return low | uint32_t(U16()) << 16;
    }
    std::string Bytes(size_t n)
    {
        n = std::min(n, Left());
        std::string bytes(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return bytes;
    }
    // Up to the next `separator` (consumed, not returned) or the end.
    std::string Until(uint8_t separator)
    {
        std::string bytes;
        while (!Empty()) {
            const uint8_t b = Byte();
            if (b == separator)
                break;
            bytes.push_back(char(b));
        }
        return bytes;
    }
    std::string Rest() { return Bytes(Left()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A broken property is a finding like a crash: print it and abort, so both the
// fuzzer and the replay driver stop on it.
[[noreturn]] void FuzzFail(const char* what, const char* file, int line);
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzFail(#condition, __FILE__, __LINE__);                                                                  \
    } while (0)

// Made on first use and kept for the whole run: a sandbox folder that holds
// the program folder and nothing else, with the working directory inside
// it (Packet.log lands there). One per process rather than in memory: the
// client reads and writes real files, and a folder of its own per process
// keeps parallel runs apart.
class FuzzScratch {
public:
    static FuzzScratch& Get();

    // Ends in the path separator.
    const std::string& ProgramFolder() const { return program_; }
    // Removes whatever an earlier input left in the program folder.
    void EmptyProgramFolder() const;
    // True when nothing was written beside the program folder.
    bool SandboxHoldsOnlyProgramFolder() const;

private:
    FuzzScratch();
    std::string sandbox_;
    std::string program_;
};
