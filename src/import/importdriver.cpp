#include "import/importdriver.h"

#include "app/finder.h"

void importRaceData(Finder& f)
{
    f.platform().message(QStringLiteral("This command is not available yet."));
}
