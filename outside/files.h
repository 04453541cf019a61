// Writing the tools' output files and their standard output.
#ifndef OUTSIDE_FILES_H
#define OUTSIDE_FILES_H

#include <windows.h>
#include <string>

// Makes the folders on the way to the file that are missing; false with
// the platform's words for why not.
bool MakeFolderOf(const std::wstring &path, std::string *error);

// How a file is written: a file on disk is written beside itself under a
// temporary name and takes its place only once whole; a device or a pipe
// (the null device, a terminal, a FIFO) cannot be replaced, so it is
// written where it is. A link stays a link: the file it leads to is
// replaced.
enum WriteWay { WRITE_BESIDE_THEN_RENAME, WRITE_IN_PLACE };

// From what is at the path now: nothing, or an existing thing of this
// GetFileType type.
WriteWay WayToWrite(bool exists, DWORD fileType);

// The whole text written, flushed and closed, every step checked, in a
// folder made if it is missing; false with why not. A file on disk is
// either whole or not there: on false nothing is left at the path, not a
// part of the text nor an earlier run's file that could pass for this
// one's.
bool WriteWholeFile(const std::wstring &path, const std::string &text, std::string *error);

// The whole text on standard output, flushed and checked; false with why
// not (a full disk, a closed pipe).
bool WriteStandardOutput(const std::string &text, std::string *error);

#endif
