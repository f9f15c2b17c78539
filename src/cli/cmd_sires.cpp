#include "cli/cli.h"

// The "sires" command registers itself here.
