#include "search/gethorse.h"

#include "app/finder.h"

static void notYet(Finder& f)
{
    f.platform().message(QStringLiteral("This command is not available yet."));
}

void gethorse(Finder& f, qint16, const QString&, const QString&)
{
    notYet(f);
}
void listhorse_Click(Finder& f)
{
    notYet(f);
}
void listrace_Click(Finder& f)
{
    notYet(f);
}
void listowner_Click(Finder& f)
{
    notYet(f);
}
