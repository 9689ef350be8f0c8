// The table of built-in services. Each entry is served before any file of
// the same name is searched for.
#include "platform/linux/builtin.h"

const LinuxBuiltinModule LinuxBuiltinModules[] = {
    {"ddraw.dll", LinuxDisplaySymbol},
    {nullptr, nullptr},
};
