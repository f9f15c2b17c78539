#pragma once

#include "core/platform.h"
#include "lineage/httpconnection.h"

#include <QPointer>

class QLabel;
class QWidget;

/**
 * The window a message, question or file dialog belongs to: the window of ours that the player is working in,
 * so that a small window's message stays over it instead of bringing the main window up, else the main
 * window.
 */
class DialogOwner
{
public:
    explicit DialogOwner(QWidget* mainWindow) : m_main(mainWindow) {}
    DialogOwner& operator=(QWidget* mainWindow)
    {
        m_main = mainWindow;
        return *this;
    }
    operator QWidget*() const;

private:
    QPointer<QWidget> m_main;
};

/** The platform for a person at the screen: message boxes, dialogs, pointer, network and printer. */
class QtPlatform : public Platform
{
public:
    explicit QtPlatform(QWidget* parent = nullptr);
    ~QtPlatform() override;

    void setParentWidget(QWidget* parent) { m_parent = parent; }
    /** The labels that repaintLabel() updates, by control name. */
    void addLabel(const QString& control, QLabel* label);

    void message(const QString& text) override;
    using Platform::askYesNo;
    Answer askYesNo(const QString& text, Answer defaultButton) override;
    Answer askChoice(const QString& text, const QList<Choice>& buttons, Answer defaultButton) override;
    QStringList openFiles(const FileDialog& dialog) override;
    QString saveFile(const FileDialog& dialog) override;
    void beep() override;
    void setBusy(bool busy) override;
    void repaintLabel(const QString& control, const QString& text) override;
    HttpResult httpGet(const QString& url) override;
    void startHttpGet(const QString& url, std::function<void(const HttpResult&)> done) override;
    void cancelHttpGet() override;
    std::unique_ptr<PrinterSink> startPrint(bool landscape) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QDate today() override;
    QString shortDateFormat() override;

    /** Converts "Caption|pattern" entries to the dialog's filter texts. */
    static QStringList qtFilters(const QStringList& filters);
    /** The connection httpGet() uses, with its time-out and size limit. */
    HttpConnection& connection() { return m_connection; }

private:
    /** Takes the busy pointer away while the program waits for the player, and puts it back after. */
    class WaitingForPlayer;
    /** Shows the busy pointer while the program works and waits for no answer, and only then. */
    void showPointer();

    DialogOwner m_parent;
    QList<QPair<QString, QPointer<QLabel>>> m_labels;
    HttpConnection m_connection;
    int m_busy = 0;
    int m_waiting = 0;
    bool m_pointerShown = false;
};
