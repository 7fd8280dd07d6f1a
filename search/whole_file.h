// Reading a whole file into memory, into a buffer that can be reused from
// one page to the next.
#pragma once

#include <string>

namespace sorvik {

// The bytes of `file`, exactly, in `bytes` (whose capacity is reused). False,
// with `bytes` empty, when the file cannot be opened or read.
bool ReadFileBytes(const std::string& file, std::string& bytes);

// The whole file, CR LF turned into LF (a lone CR stays); empty when the
// file cannot be read.
std::string ReadWholeFile(const std::string& file);

// The same into `text`, reusing its capacity.
void ReadWholeFile(const std::string& file, std::string& text);

// Makes room for `size` bytes in `buffer`, and a quarter more when it has to
// grow: a buffer reused for pages of about the same size then grows once, not
// for every page a few bytes longer than the last.
void ReserveWithRoom(std::string& buffer, std::size_t size);

}  // namespace sorvik
