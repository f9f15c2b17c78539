#pragma once

#include "generator/generator.h"

#include <QString>

namespace TurfGen
{

/**
 * Runs weeks first to last of the generator and imports them into DIR/horses.mdb (created when missing)
 * through the program's own import, a batch of files at a time. For benchmarks and demos that need a
 * filled database. False with error set when a week cannot be written or imported.
 */
bool buildDatabase(const QString& dir, Generator& generator, int first, int last, QString* error = nullptr);

} // namespace TurfGen
