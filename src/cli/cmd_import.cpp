#include "cli/cli.h"

// The "import" command registers itself here.
