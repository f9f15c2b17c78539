#include "cli/clisession.h"

#include "app/startup.h"

CliSession::CliSession(const QString& dir, const QString& breedingPath) : finder(platform, dir, breedingPath)
{
    finder.settingsWritable = false;
    m_ok = formLoad(finder, NominalRowHeight);
    if (!m_ok)
        m_error = platform.messages.value(0);
    platform.messages.clear();
    platform.labelTexts.clear();
}
