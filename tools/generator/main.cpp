// turf-generate: writes seeded sample results files, or a database filled with them, and the matching
// breeding file, for demos, tests and benchmarks.
#include "sample/sampledata.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr), out(stdout);
    QStringList args = QCoreApplication::arguments().mid(1);
    TurfGen::Settings settings;
    int first = 1, last = 1, breedingLimit = 0;
    QString dir, database, breeding;
    const auto usage = [&] {
        err << "usage: turf-generate --seed S --weeks A-B (--out DIR | --database DIR) [--breeding FILE "
               "[--breeding-horses N]]\n"
               "                     [--small] [--tracks N] [--races-per-track N] [--horses N]\n";
        return 2;
    };
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--small")) {
            settings = TurfGen::smallSettings(settings.seed);
            continue;
        }
        if (args.isEmpty())
            return usage();
        const QString v = args.takeFirst();
        bool ok = true;
        if (a == QLatin1String("--seed")) {
            settings.seed = v.toULongLong(&ok);
        } else if (a == QLatin1String("--weeks")) {
            const QStringList range = v.split(QLatin1Char('-'));
            first = range.value(0).toInt(&ok);
            last = range.size() > 1 ? range.value(1).toInt(&ok) : first;
            ok = ok && first >= 1 && last >= first && last <= 32766;
        } else if (a == QLatin1String("--out")) {
            dir = v;
        } else if (a == QLatin1String("--database")) {
            database = v;
        } else if (a == QLatin1String("--breeding")) {
            breeding = v;
        } else if (a == QLatin1String("--breeding-horses")) {
            breedingLimit = v.toInt(&ok);
        } else if (a == QLatin1String("--tracks")) {
            settings.tracks = v.toInt(&ok);
        } else if (a == QLatin1String("--races-per-track")) {
            settings.racesPerTrack = v.toInt(&ok);
        } else if (a == QLatin1String("--horses")) {
            settings.activeHorses = v.toInt(&ok);
        } else {
            return usage();
        }
        if (!ok) {
            err << "turf-generate: bad value for " << a << ": " << v << "\n";
            return 2;
        }
    }
    if (dir.isEmpty() == database.isEmpty())
        return usage();
    TurfGen::Generator g(settings);
    QString error;
    if (database.isEmpty() ? !g.writeWeeks(first, last, dir, &error)
                           : !TurfGen::buildDatabase(database, g, first, last, &error)) {
        err << "turf-generate: " << error << "\n";
        return 1;
    }
    if (!breeding.isEmpty()) {
        QFile f(breeding);
        const QByteArray text = g.breedingFile(breedingLimit);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            err << "turf-generate: " << breeding << ": " << f.errorString() << "\n";
            return 1;
        }
    }
    const TurfGen::Totals t = g.totals();
    out << "Weeks " << first << "-" << last << ": " << t.races << " races, " << t.starts << " starts, "
        << t.horses << " horses; top stallion " << g.topStallion() << ", top owner " << g.topOwner() << "\n";
    return 0;
}
