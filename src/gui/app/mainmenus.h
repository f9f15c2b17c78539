#pragma once

#include <QHash>
#include <QKeySequence>
#include <QObject>

#include <functional>

class PopupMenu;
class QAction;
class QMainWindow;
class QMenu;
class QPoint;

/** An entry of a menu: its control name, its caption with the key letter marked, its handler and shortcut. An
    entry without a caption is a separator. */
struct MenuEntry {
    const char* name;
    const char* caption = nullptr;
    std::function<void()> command = {};
    QKeySequence shortcut = {};
};

/** What an entry of the results grid's pop-up menu does, and its key letter (the first one of its caption).
 */
struct PopupCommand {
    const char* name;
    char16_t key;
    std::function<void()> command = {};
};

/**
 * The main window's menus: the menu bar, built menu by menu from lists of entries, and the results grid's
 * pop-up menu, whose entries, captions and visibility the grid's PopupMenu holds. Entries and menus are
 * found by their control names.
 */
class MainMenus : public QObject
{
    Q_OBJECT
public:
    explicit MainMenus(QMainWindow* window);

    /** Adds a menu at the end of the menu bar. */
    QMenu* addMenu(const char* name, const char* title, const QList<MenuEntry>& entries);
    /** Makes the pop-up's entries in the grid's order; the commands say what those that do something do. */
    void buildPopup(const PopupMenu& popup, const QList<PopupCommand>& commands);
    /** Opens the pop-up at the pointer with the captions and visibility that the press prepared. */
    void showPopup(const PopupMenu& popup, const QPoint& globalPos);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;

private:
    QMainWindow* m_window;
    QMenu* m_popup = nullptr;
    QList<PopupCommand> m_popupCommands;
    // By name, as the handlers ask for them after every action.
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
};
