// Cleaning a downloaded page with HTML Tidy, in-process, exactly as Tidy's
// command-line front end does for "-config config.txt -raw -output OUT IN".
#pragma once

#include <string>

namespace sorvik {

// Settings come from the file named by HTML_TIDY, then config.txt in the
// current directory, then raw encoding and the output file. Returns 0 when Tidy reported nothing, 1
// for warnings only, 2 for errors. A page nested more than 10,000 elements deep, or one that would
// make Tidy open 100,000 font elements again (see ReopenedFonts), is not given to Tidy: the output
// file is emptied and the result is 2.
int TidyPage(const std::string& outputFile, const std::string& inputFile);

}  // namespace sorvik
