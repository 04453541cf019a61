// Which platform a verdict comes from, read from the running platform itself.
#ifndef OUTSIDE_PROVENANCE_H
#define OUTSIDE_PROVENANCE_H

#include <string>

struct Provenance {
    std::string name;           // "Wine", or "Windows"
    std::string version;        // the platform's own version: "8.0", or "10.0.19045"
    std::string build;          // the platform's build id where it has one, else empty
    std::string windowsVersion; // the version it reports to programs: "6.1.7601"
};

// Uses only what ntdll, which every process has loaded, exports.
Provenance ReadProvenance();

// The JSON members "platform", "windowsVersion" and "bitness", without braces.
std::string ProvenanceJsonMembers(const Provenance &provenance, int bitness);

// One line for people: "Wine 8.0, reports Windows 6.1.7601".
std::string ProvenanceText(const Provenance &provenance);

#endif
