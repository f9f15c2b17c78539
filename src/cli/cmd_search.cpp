#include "cli/cli.h"

// The "search" command registers itself here.
