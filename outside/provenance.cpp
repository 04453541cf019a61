#include "outside/provenance.h"
#include "outside/json.h"

#include <windows.h>
#include <stdio.h>

typedef const char *(CDECL *VersionTextFunction)(void);
typedef LONG(WINAPI *RtlGetVersionFunction)(RTL_OSVERSIONINFOW *);

static std::string CallText(HMODULE ntdll, const char *name)
{
    VersionTextFunction function = (VersionTextFunction)(void *)GetProcAddress(ntdll, name);
    const char *text = function ? function() : NULL;
    return text ? text : "";
}

// RtlGetVersion tells the truth where GetVersionEx is bent by manifests.
static std::string ReportedVersion(HMODULE ntdll)
{
    RtlGetVersionFunction getVersion =
        (RtlGetVersionFunction)(void *)GetProcAddress(ntdll, "RtlGetVersion");
    RTL_OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    if (!getVersion || getVersion(&info) != 0)
        return "";
    char text[48];
    snprintf(text, sizeof(text), "%lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion,
             info.dwBuildNumber);
    return text;
}

Provenance ReadProvenance()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    Provenance provenance;
    provenance.windowsVersion = ReportedVersion(ntdll);
    // Only this platform's ntdll exports its version.
    provenance.version = CallText(ntdll, "wine_get_version");
    if (!provenance.version.empty()) {
        provenance.name = "Wine";
        provenance.build = CallText(ntdll, "wine_get_build_id");
    } else {
        provenance.name = "Windows";
        provenance.version = provenance.windowsVersion;
    }
    return provenance;
}

std::string ProvenanceJsonMembers(const Provenance &provenance, int bitness)
{
    return "\"platform\": {\"name\": " + JsonString(provenance.name) +
           ", \"version\": " + JsonStringOrNull(provenance.version) +
           ", \"build\": " + JsonStringOrNull(provenance.build) +
           "}, \"windowsVersion\": " + JsonStringOrNull(provenance.windowsVersion) +
           ", \"bitness\": " + (bitness ? std::to_string(bitness) : std::string("null"));
}

std::string ProvenanceText(const Provenance &provenance)
{
    return provenance.name + " " + provenance.version + ", reports Windows " +
           provenance.windowsVersion;
}
