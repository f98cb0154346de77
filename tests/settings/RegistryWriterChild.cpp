// Writes argv[2] as the REG_SZ value argv[1] under HKEY_LOCAL_MACHINE.
#include "settings/registry.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    zu::RegistryWriteText(zu::RegistryRoot::LocalMachine, argv[1], argv[2]);
    return 0;
}
