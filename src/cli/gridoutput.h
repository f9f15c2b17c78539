#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

class HeadlessPlatform;
class MainWindowState;

/** What search and sires can do with the results grid afterwards, as the window's grid, pop-up menu and File
    menu would: sorts, the list filter, a pop-up menu, the export, printing and a PDF of the pages. */
struct GridOutputOptions {
    QList<int> sorts;
    std::optional<std::pair<int, int>> filter;
    std::optional<int> popup;
    QString exportFile;
    bool printLog = false;
    QString pdf;

    static QString usage();
    /** Takes the options out of args; false, with the reason, when one is malformed. */
    bool take(QStringList& args, QString& error);
    /** Runs them in order on the loaded grid, adding "popmenu" and "print" to extra when asked for. Returns
       0; 1 when a message stopped one of them; 2, with the reason, for a row or column outside the grid. */
    int apply(MainWindowState& f, HeadlessPlatform& platform, QJsonObject& extra, QString& error) const;
    /** The pop-up menu's visible captions and the printed texts, one a line, for the plain output. */
    static void writeText(QTextStream& out, const QJsonObject& extra);
};
