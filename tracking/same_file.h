// Whether two file names given by the user name one file.
#pragma once

#include <string>

namespace sorvik {

// True when the UTF-8 paths `a` and `b` name the same file, however they
// are spelled: relative or absolute, through symbolic links, or as two hard
// links of one file. Paths of files that do not exist yet are compared as
// the absolute paths they resolve to.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace sorvik
