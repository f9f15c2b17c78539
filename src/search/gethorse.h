#pragma once

#include <QString>

class MainWindowState;

/** Horse (modes 1 to 3), owner (4) and race (5) searches into the results grid and statistics. True when
    it listed starts; false after a message that refused or stopped it, or a declined count question. */
bool gethorse(MainWindowState& f, qint16 mode, const QString& name, const QString& id);
/** The name "GO!" passes from the name box: horse names are stored cut to 25 characters and are searched
    so; an owner's name (mode 4) goes whole. */
QString nameBoxText(qint16 mode, const QString& text);
/** Pop-up "List Horse": searches the horse of the selected row. */
void listhorse_Click(MainWindowState& f);
/** Pop-up "List Race": searches the race of the selected row. */
void listrace_Click(MainWindowState& f);
/** Pop-up "List Owner": searches the owner of the selected row. */
void listowner_Click(MainWindowState& f);
