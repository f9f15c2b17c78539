#pragma once

#include <QString>

class Finder;

/** Progeny search: the stallion's progeny from the breeding file, with their racing record. */
void getsires(Finder& f, const QString& name);
