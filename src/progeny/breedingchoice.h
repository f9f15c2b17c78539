#pragma once

#include <QString>

class MainWindowState;

/** Why the progeny searches are greyed out: the places a breeding file is looked for, and how to give one. */
QString breedingFileNeeded(const MainWindowState& f);

/**
 * File > "Choose Breeding File...": asks for a breeding file and copies it whole into the folder in use as
 * breeding.txt, asking first when one is there already; the progeny searches then read it. True when the
 * searches have a breeding file from it; a refusal or a failure is said in a message or the status line.
 */
bool choosebreedingfile(MainWindowState& f);
