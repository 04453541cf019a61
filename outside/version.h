// The tools' own version, reported by --version and in their JSON.
#ifndef OUTSIDE_VERSION_H
#define OUTSIDE_VERSION_H

#define TOOLS_VERSION "2.0.0"

#endif
