#pragma once

#include "lineage/lineagepage.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

/** A saved page from tests/data/lineage. */
inline QByteArray savedPage(const char* name)
{
    QFile file(QStringLiteral(TURF_TEST_DATA "/lineage/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test page %s", name);
    return file.readAll();
}

/** Every text the lineage window shows, one per line: heading, labels, the 20 grid cells. */
inline QStringList windowTexts(const LineageState& w)
{
    QStringList out{w.lbllineage, w.lblmisc, w.lblwinstats};
    for (int r = 0; r < w.MSFlexGrid1.rows(); ++r)
        for (int c = 0; c < w.MSFlexGrid1.cols(); ++c)
            out << w.MSFlexGrid1.text(r, c);
    return out;
}

/** The window texts a page gives for an id, in a freshly loaded window. */
inline QStringList expectedTexts(const QByteArray& page, const QString& id)
{
    LineageState w;
    showLineage(parseLineagePage(pageText(page)), id, w);
    return windowTexts(w);
}
