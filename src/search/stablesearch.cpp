#include "search/stablesearch.h"

#include "core/mainwindowstate.h"
#include "core/smallfile.h"
#include "search/gethorse.h"

namespace
{

/** The message refusing the first name that the owner expression (a double quote) or, for a saved set, a line
    of the file (also a line break) cannot carry; empty when every name can be used. */
QString refusedName(const std::array<QString, 4>& boxes, bool forFile)
{
    const std::pair<QChar, const char*> refused[] = {{QLatin1Char('"'), "double quote"},
                                                     {QLatin1Char('\r'), "line break"},
                                                     {QLatin1Char('\n'), "line break"}};
    const int checked = forFile ? 3 : 1;
    for (int i = 0; i < 4; ++i) {
        for (int r = 0; r < checked; ++r) {
            if (boxes[std::size_t(i)].contains(refused[r].first))
                return QStringLiteral("The name in Stable #%1 holds a %2, which %3 cannot take. Please "
                                      "remove it.")
                    .arg(i + 1)
                    .arg(QLatin1String(refused[r].second),
                         forFile ? QStringLiteral("a saved set") : QStringLiteral("a stable search"));
        }
    }
    return QString();
}

/** The non-empty boxes in order; a box of blanks is not empty. */
QStringList filledBoxes(const std::array<QString, 4>& boxes)
{
    QStringList out;
    for (const QString& b : boxes) {
        if (!b.isEmpty())
            out << b;
    }
    return out;
}

/** Stores the list in the file, and in the dialog only when the file took it. */
bool savenames(MainWindowState& f, StableState& s, const QStringList& sets)
{
    const QString error = SavedNames::write(f.savedNamesPath(), sets);
    if (!error.isEmpty()) {
        f.platform().message(error);
        return false;
    }
    s.lstnames = sets;
    return true;
}

} // namespace

bool buildStableQuery(Platform& p, StableState& s)
{
    s.lblquerystring.clear();
    if (const QString refusal = refusedName(s.txto1, false); !refusal.isEmpty()) {
        p.message(refusal);
        return false;
    }
    const QStringList names = filledBoxes(s.txto1);
    if (names.isEmpty()) {
        p.message(QStringLiteral("You must enter at least one trainer's name."));
        return false;
    }
    // The owner search places the text between oname=" and the closing quote, and splits it back into names.
    s.lblquerystring = names.join(QStringLiteral("\" OR oname=\""));
    return true;
}

void stableSearch(MainWindowState& f, const StableState& s)
{
    gethorse(f, 4, s.lblquerystring, QString());
}

bool cmdgo_Click(MainWindowState& f, StableState& s)
{
    if (!buildStableQuery(f.platform(), s))
        return false;
    stableSearch(f, s);
    return true;
}

void cmdload_Click(MainWindowState& f, StableState& s)
{
    SavedNames::ReadResult r = SavedNames::read(f.savedNamesPath());
    if (!r.error.isEmpty()) {
        f.platform().message(r.error);
        return;
    }
    s.lstnames = r.sets;
    s.ListIndex = -1;
}

void cmdadd_Click(MainWindowState& f, StableState& s)
{
    if (const QString refusal = refusedName(s.txto1, true); !refusal.isEmpty()) {
        f.platform().message(refusal);
        return;
    }
    QStringList sets = s.lstnames;
    const QString set = SavedNames::joinSet(filledBoxes(s.txto1));
    if (set.isEmpty())
        f.platform().message(QStringLiteral("Please enter at least one Stable into the textboxes provided."));
    else
        sets << set;
    savenames(f, s, sets);
}

void cmddelete_Click(MainWindowState& f, StableState& s)
{
    if (s.ListIndex < 0 || s.ListIndex >= s.lstnames.size()) {
        f.platform().message(QStringLiteral("Please select a set of stables to delete."));
        return;
    }
    QStringList sets = s.lstnames;
    sets.removeAt(s.ListIndex);
    if (savenames(f, s, sets))
        s.ListIndex = -1;
}

void cmduse_Click(MainWindowState& f, StableState& s)
{
    if (s.ListIndex < 0 || s.ListIndex >= s.lstnames.size()) {
        f.platform().message(QStringLiteral("Please select a set of names to use."));
        return;
    }
    s.txto1 = SavedNames::splitSet(s.lstnames.at(s.ListIndex));
}
