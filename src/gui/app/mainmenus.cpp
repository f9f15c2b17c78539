#include "gui/app/mainmenus.h"

#include "output/gridinteractions.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMainWindow* window) : QObject(window), m_window(window) {}

QMenu* MainMenus::addMenu(const char* name, const char* title, const QList<MenuEntry>& entries)
{
    QMenu* menu = m_window->menuBar()->addMenu(QString::fromUtf8(title));
    menu->setObjectName(QString::fromLatin1(name));
    m_menus.insert(menu->objectName(), menu);
    for (const MenuEntry& e : entries) {
        QAction* a = e.caption ? menu->addAction(QString::fromUtf8(e.caption)) : menu->addSeparator();
        if (*e.name) {
            a->setObjectName(QString::fromLatin1(e.name));
            m_actions.insert(a->objectName(), a);
        }
        if (e.command)
            connect(a, &QAction::triggered, this, e.command);
        if (!e.shortcut.isEmpty())
            a->setShortcut(e.shortcut);
    }
    return menu;
}

void MainMenus::buildPopup(const PopupMenu& popup, const QList<PopupCommand>& commands)
{
    m_popup = new QMenu(m_window);
    m_popup->setObjectName(QStringLiteral("popmenu"));
    m_popupCommands = commands;
    for (const PopupMenu::Entry& e : popup.entries()) {
        QAction* a = e.separator() ? m_popup->addSeparator() : m_popup->addAction(e.caption);
        a->setObjectName(e.name);
        m_actions.insert(e.name, a);
    }
    for (const PopupCommand& c : commands)
        if (c.command)
            connect(action(QString::fromLatin1(c.name)), &QAction::triggered, this, c.command);
}

void MainMenus::showPopup(const PopupMenu& popup, const QPoint& globalPos)
{
    for (const PopupMenu::Entry& e : popup.entries()) {
        QAction* a = action(e.name);
        // Each entry's key letter, underlined where the caption first has it; "&" in a name is no key.
        QString text = QString(e.caption).replace(QLatin1Char('&'), QLatin1String("&&"));
        for (const PopupCommand& c : std::as_const(m_popupCommands)) {
            const qsizetype at = text.indexOf(QChar(c.key), 0, Qt::CaseInsensitive);
            if (e.name == QLatin1String(c.name) && at >= 0)
                text.insert(at, QLatin1Char('&'));
        }
        a->setText(text);
        a->setVisible(e.visible);
    }
    m_popup->popup(globalPos);
}

QAction* MainMenus::action(const QString& name) const
{
    return m_actions.value(name);
}

QMenu* MainMenus::menu(const QString& name) const
{
    return m_menus.value(name);
}
