#pragma once
// What the fuzz targets share: the check, the input as text or bytes, strings
// without NUL bytes, and files written into a scratch folder under $TMPDIR.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QByteArray>

#define REQUIRE(condition) ((condition) ? void() : Fuzz::broken(__FILE__, __LINE__, #condition))

namespace Fuzz {
[[noreturn]] inline void broken(const char* file, int line, const char* condition)
{
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, condition);
    std::abort();
}

inline std::string text(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }
inline QByteArray bytes(const uint8_t* data, size_t size) { return QByteArray::fromStdString(text(data, size)); }
inline std::size_t lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n') + 1u; }

// Up to `length` bytes with each NUL (which no path nor file name holds) made `instead`.
inline std::string withoutNul(FuzzedDataProvider& data, std::size_t length, char instead)
{
    std::string text = data.ConsumeRandomLengthString(length);
    std::replace(text.begin(), text.end(), '\0', instead);
    return text;
}

// A folder of its own, removed when the process ends normally.
struct Scratch {
    std::filesystem::path root;
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmoor-fuzz-XXXXXX").native();
        REQUIRE(mkdtemp(pattern.data()));
        root = pattern;
    }
    ~Scratch() { std::error_code ignored; std::filesystem::remove_all(root, ignored); }
};

// A new file each time: truncating one that holds data makes ext4 flush it to disk.
inline void write(const std::filesystem::path& file, const std::string& text)
{
    unlink(file.c_str());
    std::ofstream(file, std::ios::binary) << text;
}
} // namespace Fuzz
