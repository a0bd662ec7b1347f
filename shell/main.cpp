// Vantomir: takes no arguments; see README.md.
#include "shell/shell.h"

int main() { return RunGame(); }
