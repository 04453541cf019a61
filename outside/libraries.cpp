#include "outside/libraries.h"

WindowFunctions g_window;

static void *LoadFunction(const char *library, const char *name, std::string *error)
{
    HMODULE module = LoadLibraryA(library);
    void *function = module ? (void *)GetProcAddress(module, name) : NULL;
    if (!function && error->empty())
        *error = std::string("the platform's ") + library + " has no " + name;
    return function;
}

bool LoadWindowFunctions(std::string *error)
{
    static bool loaded = false;
    if (loaded)
        return true;
    error->clear();
#define LOAD_FUNCTION(library, name) \
    g_window.name = (decltype(g_window.name))LoadFunction(library, #name, error);
    WINDOW_FUNCTIONS(LOAD_FUNCTION)
#undef LOAD_FUNCTION
    loaded = error->empty();
    return loaded;
}
