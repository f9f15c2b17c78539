#include "progeny/getsires.h"

#include "app/finder.h"

void getsires(Finder& f, const QString&)
{
    f.platform().message(QStringLiteral("This command is not available yet."));
}
