#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace TurfGen
{

/** The size of the simulated racing world. The defaults give about 3,600 starts a week. */
struct Settings {
    std::uint64_t seed = 1;
    int tracks = 40;          // tracks 1 to this, at most 99
    int racesPerTrack = 10;   // races at each track each week
    int activeHorses = 12000; // horses in training at any time
    int owners = 2500;
    int stallions = 400;
    /** Share of all foals sired by the most popular stallion: every n-th horse created, n = 1 / share. */
    double topStallionShare = 0.10;
};

/** A small world for fixtures and quick tests: three tracks, a few dozen starts a week. */
Settings smallSettings(std::uint64_t seed);

/** Totals of what has been generated so far. */
struct Totals {
    qint64 races = 0;
    qint64 starts = 0;
    int horses = 0; // horses ever created
};

/**
 * A seeded racing world: a persistent pool of horses with owners and ancestors that race week after
 * week, retire and are replaced, change stables when claimed. Each call to weekFile() runs one more week
 * and returns its results file. The same seed, settings and sequence of weeks give the same bytes.
 */
class Generator
{
public:
    explicit Generator(const Settings& settings);
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    /** Runs week `week` (weeks must increase) and returns its results file. */
    QByteArray weekFile(int week);
    /** Runs the weeks first to last and writes each as DIR/raceoutWEEK.txt; false with error set on failure.
     */
    bool writeWeeks(int first, int last, const QString& dir, QString* error = nullptr);

    /** The breeding file of the first `limit` horses created (all when limit <= 0): four lines per horse. */
    QByteArray breedingFile(int limit = 0) const;
    /** The stallion that sires the largest share of the foals. */
    QString topStallion() const;
    /** Every stallion name, most popular first. */
    QStringList stallions() const;
    /** The owner with the largest stable. */
    QString topOwner() const;
    Totals totals() const;

private:
    struct World;
    World* m_world;
};

} // namespace TurfGen
