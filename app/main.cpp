// The program's entry point. The command line is read through the platform
// layer, so the arguments given here are not needed.
#include "app/startup.h"

int main() { QuillwaveMain(); }
