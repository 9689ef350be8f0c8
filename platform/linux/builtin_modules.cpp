// The table of built-in services. Each entry is served before any file of
// the same name is searched for.
#include "platform/linux/builtin.h"

#include "platform/plat_module.h"

const LinuxBuiltinModule LinuxBuiltinModules[] = {
    {PlatDisplayLibraryName, LinuxDisplaySymbol},
    {nullptr, nullptr},
};
