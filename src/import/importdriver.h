#pragma once

class Finder;

/** "&Import Race Data": asks for results files and imports them into horses.mdb. */
void importRaceData(Finder& f);
