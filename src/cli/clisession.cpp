#include "cli/clisession.h"

#include "core/startup.h"

CliSession::CliSession(const QString& dir, const QString& breedingPath) : state(platform, dir, breedingPath)
{
    state.settingsWritable = false;
    // The command-line tool has its own init command to create a database; it only says what is missing.
    m_ok = formLoad(state, NominalRowHeight, MissingDatabase::Report);
    if (!m_ok)
        m_error =
            platform.messages.value(0) + QStringLiteral(" (turftrawler-cli init creates an empty one.)");
    platform.messages.clear();
    platform.labelTexts.clear();
}
