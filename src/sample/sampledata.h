#pragma once

#include "sample/generator.h"

#include <QString>

#include <cstdint>
#include <functional>

/** Follows a long fill: `done` of `total` steps so far. */
using SampleProgress = std::function<void(int done, int total)>;

namespace TurfGen
{

/**
 * Runs weeks first to last of the generator and imports them into DIR/horses.mdb (created when missing)
 * through the program's own import, a batch of files at a time. For benchmarks and demos that need a
 * filled database. False with error set when a week cannot be written or imported. Progress, when given,
 * counts two steps a week: its file written, then imported.
 */
bool buildDatabase(const QString& dir, Generator& generator, int first, int last, QString* error = nullptr,
                   const SampleProgress& progress = {});

} // namespace TurfGen

/** The sample data that lets a new player try the program before importing results of their own. */
namespace SampleData
{

/** The newest sample week; the others come just before it. */
constexpr int LastWeek = 700;
constexpr int DefaultWeeks = 26;

/** The folder of the sample beside the player's data folder: never the player's own database. */
QString folderFor(const QString& dataFolder);

/**
 * Writes DIR/horses.mdb with `weeks` generated weeks ending at week 700 and the matching DIR/breeding.txt,
 * making DIR when needed. Refuses a folder that already holds a database; a failure leaves no database
 * behind, so that the next attempt starts afresh. False with error set on failure.
 */
bool make(const QString& dir, int weeks, std::uint64_t seed, QString& error,
          const SampleProgress& progress = {});

} // namespace SampleData
