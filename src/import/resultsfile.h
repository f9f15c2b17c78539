#pragma once

#include "import/classify.h"
#include "import/fieldreader.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

/** The seven fields that open a race; only the ones stored are kept. */
struct RaceHeader {
    double number = 0; // the race number as the file gives it (week.TTRR)
    QString surface;
    QString condition;
    double distance = 0;
    int size = 0;
};

/** One tblraces row as stored. */
struct RaceRow {
    double racenum = 0;
    QString surf;
    QString cond;
    double dist = 0;
    int size = 0;
    qint32 purse = 0;
    qint32 cprice = 0;
    QString restr;
    QString age;
};

/** One tblhorsedata row as stored; the names are UTF-8 ready for binding. */
struct StartRow {
    QByteArray hname;
    qint32 hid = 0;
    double racenum = 0;
    int fin = 0;
    int ppos = 0;
    double sp = 0;
    int start = 0;
    double odds = 0;
    QByteArray oname;
};

/** Where the rows of a results file go. */
class RaceSink
{
public:
    virtual ~RaceSink() = default;
    /** Stores one row; false with error() set when the database refused it. */
    virtual bool addRace(const RaceRow& race) = 0;
    virtual bool addStart(const StartRow& start) = 0;
    virtual QString error() const = 0;
};

/** The rules that turn the file's texts and numbers into stored values. */
namespace ResultValues
{
/** The file's week from its first race number: the whole part, cut toward zero; nullopt outside 0 to 32766.
 */
std::optional<int> week(double firstRaceNumber);
/** The race key a race number is stored under in a file of week w; nullopt when the rebuilt text is not a
 * number. */
std::optional<double> storedRaceNumber(double v, int week);
/** The purse: the text after its currency sign, as whole currency units. */
std::optional<qint32> purse(const QString& text);
/** The claiming price: $5,000 or ($5,000) give 5000; texts of three characters or fewer give 0. */
std::optional<qint32> claimingPrice(const QString& text);
/** A currency amount: digits with optional thousands separators and decimals, as a whole number. */
std::optional<qint32> amount(QStringView text);
/** The progress text for a race: the file's week and the race number's four decimals (612.0508). */
QString progressText(int week, double raceNumber);
/** The odds from their base value; nullopt for a base of 0. */
std::optional<double> odds(double base);
} // namespace ResultValues

/**
 * Reads one results file field by field and hands each race and its starts to a sink as soon as they are
 * read. The reading stops at the end marker "*99999" or a race number of 0; whatever follows is not read.
 */
class ResultsReader
{
public:
    explicit ResultsReader(FieldReader& fields) : m_fields(fields) {}

    /** Reads the two leading fields and the first race header; the file's week follows from it. */
    bool readOpening();
    const RaceHeader& firstHeader() const { return m_first; }
    int week() const { return m_week; }

    /**
     * Reads and stores every race of the file, starting with the conditions of the first race.
     * `progress` gets the text to show each time the next race's header has been read.
     * False with error() set when the file is broken or a row could not be stored.
     */
    bool readRaces(RaceClassifier& classifier, RaceSink& sink,
                   const std::function<void(const QString&)>& progress);

    /** What went wrong, for the user, with the line of the file where it was noticed. */
    QString error() const { return m_error; }
    /** Races and starts handed to the sink so far. */
    int races() const { return m_races; }
    qint64 starts() const { return m_starts; }

private:
    bool field(std::string_view& out);
    bool text(QString& out);
    bool skip(int count);
    bool number(double& out, const char* what);
    bool header(RaceHeader& h);
    bool fail(const QString& what);
    bool readStart(StartRow& row, int fin, double racenum);

    FieldReader& m_fields;
    RaceHeader m_first;
    int m_week = 0;
    int m_races = 0;
    qint64 m_starts = 0;
    QString m_error;
};
