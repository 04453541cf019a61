// The expectations a program runs with: the line of an expectations file
// for the platform's version, and a list from the command line over it.
#ifndef OUTSIDE_EXPECTFILE_H
#define OUTSIDE_EXPECTFILE_H

#include "outside/expect.h"

// Reads the file (none when the path is empty) and takes its first line
// for the version, then the list's items in place of the file's. On false,
// error names the file, the line and what to do.
bool LoadExpectations(const std::wstring &path, const std::string &version,
                      const ExpectVocabulary &vocabulary, const Expectations &list,
                      Expectations *expectations, std::string *error);

#endif
