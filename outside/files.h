// Writing the tools' output files.
#ifndef OUTSIDE_FILES_H
#define OUTSIDE_FILES_H

#include <string>

// Makes the folders on the way to the file that are missing; false with
// the platform's words for why not.
bool MakeFolderOf(const std::wstring &path, std::string *error);

// The whole text written, flushed and closed, every step checked, in a
// folder made if it is missing; false with why not.
bool WriteWholeFile(const std::wstring &path, const std::string &text, std::string *error);

#endif
