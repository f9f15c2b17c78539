#include "search/stablesearch.h"

#include "core/mainwindowstate.h"
#include "core/smallfile.h"
#include "search/gethorse.h"

namespace
{

/** The message refusing the first name that the owner expression (a double quote) or, for a saved set, a line
    of the file (also a comma or a line break) cannot carry; empty when every name can be used. */
QString refusedName(const std::array<QString, 4>& boxes, bool forFile)
{
    const std::pair<QChar, const char*> refused[] = {{QLatin1Char('"'), "double quote"},
                                                     {QLatin1Char(','), "comma"},
                                                     {QLatin1Char('\r'), "line break"},
                                                     {QLatin1Char('\n'), "line break"}};
    // Owner names may hold commas, and the search can find them; only a saved set cannot keep one.
    const int checked = forFile ? 4 : 1;
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

/** The text from `from` to just before `to` (to the end when `to` is -1); nothing when they cross. */
QString between(const QString& text, qsizetype from, qsizetype to)
{
    if (to < 0)
        return text.mid(from);
    return to > from ? text.mid(from, to - from) : QString();
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
    const QString set = filledBoxes(s.txto1).join(QStringLiteral(", "));
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
    // Each later name starts two characters after its comma, past the blank that the list puts there; the
    // fourth box takes the rest of the set, commas and all.
    const QString set = s.lstnames.at(s.ListIndex);
    s.txto1.fill(QString());
    const qsizetype c1 = set.indexOf(QLatin1Char(','));
    if (c1 < 0) {
        s.txto1[0] = set;
        return;
    }
    s.txto1[0] = set.left(c1);
    const qsizetype c2 = set.indexOf(QLatin1Char(','), c1 + 1);
    s.txto1[1] = between(set, c1 + 2, c2);
    if (c2 < 0)
        return;
    const qsizetype c3 = set.indexOf(QLatin1Char(','), c2 + 1);
    s.txto1[2] = between(set, c2 + 2, c3);
    if (c3 >= 0)
        s.txto1[3] = set.mid(c3 + 2);
}
