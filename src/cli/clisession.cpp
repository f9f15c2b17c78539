#include "cli/clisession.h"

#include "core/startup.h"

CliSession::CliSession(const QString& dir, const QString& breedingPath) : state(platform, dir, breedingPath)
{
    state.settingsWritable = false;
    m_ok = formLoad(state, NominalRowHeight);
    if (!m_ok)
        m_error = platform.messages.value(0);
    platform.messages.clear();
    platform.labelTexts.clear();
}
