#pragma once

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"

/**
 * The main window's state for one command-line run: a MainWindowState over the program directory, loaded as
 * the window loads (settings read, never written), with a scripted platform that records every message.
 */
class CliSession
{
public:
    CliSession(const QString& dir, const QString& breedingPath);

    /** False when horses.mdb is missing; error() then holds the start-up message. */
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

    HeadlessPlatform platform;
    MainWindowState state;

private:
    bool m_ok = false;
    QString m_error;
};
