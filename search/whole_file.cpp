#include "whole_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace sorvik {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::size_t kReadStep = 65536;

// The size of an open file, or 0 when it cannot be told; the file is left at
// its start.
std::size_t SizeOf(std::FILE* file) {
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    return size > 0 ? static_cast<std::size_t>(size) : 0;
}

// Drops every CR that an LF follows, in place.
void DropCrBeforeLf(std::string& text) {
    std::size_t from = text.find("\r\n");
    if (from == std::string::npos) return;
    std::size_t to = from;
    while (from < text.size()) {
        ++from;  // past the CR
        std::size_t next = text.find("\r\n", from);
        if (next == std::string::npos) next = text.size();
        std::memmove(&text[to], &text[from], next - from);
        to += next - from;
        from = next;
    }
    text.resize(to);
}

}  // namespace

void ReserveWithRoom(std::string& buffer, std::size_t size) {
    if (buffer.capacity() < size) buffer.reserve(size + size / 4);
}

bool ReadFileBytes(const std::string& fileName, std::string& bytes) {
    bytes.clear();
    File file(std::fopen(fileName.c_str(), "rb"));
    if (!file) return false;
    // One byte more than the file's size, so that a file that has not grown
    // is read in one call; one that has is read on in growing steps.
    std::size_t want = SizeOf(file.get()) + 1;
    std::size_t used = 0;
    for (;;) {
        ReserveWithRoom(bytes, used + want);
        bytes.resize(used + want);
        const std::size_t got = std::fread(&bytes[used], 1, want, file.get());
        used += got;
        if (got < want) break;
        want = std::max(used, kReadStep);
    }
    bytes.resize(used);
    if (std::ferror(file.get())) {
        bytes.clear();
        return false;
    }
    return true;
}

void ReadWholeFile(const std::string& file, std::string& text) {
    if (ReadFileBytes(file, text)) DropCrBeforeLf(text);
}

std::string ReadWholeFile(const std::string& file) {
    std::string text;
    ReadWholeFile(file, text);
    return text;
}

}  // namespace sorvik
