#include "gui/app/dialogkeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace
{

/** Sees the keys that no control of the window took, as they reach the window itself. */
class DialogKeys : public QObject
{
public:
    DialogKeys(QWidget* window, QAbstractButton* mainButton)
        : QObject(window), m_window(window), m_main(mainButton)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (key->key() == Qt::Key_Escape) {
            m_window->close();
            return true;
        }
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        QAbstractButton* button = focused && m_window->isAncestorOf(focused) ? focused : m_main.data();
        if (button && button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }

private:
    QWidget* m_window;
    QPointer<QAbstractButton> m_main;
};

} // namespace

void giveDialogKeys(QWidget* window, QAbstractButton* mainButton)
{
    window->installEventFilter(new DialogKeys(window, mainButton));
}
