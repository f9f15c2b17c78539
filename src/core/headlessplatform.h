#pragma once

#include "core/platform.h"
#include "core/printrecorder.h"

#include <QList>
#include <QMap>

#include <deque>

/**
 * A platform with no person behind it: answers come from a script, and everything shown is recorded.
 * The tests drive the windows with it, and the command-line tool answers the questions through it.
 */
class HeadlessPlatform : public Platform
{
public:
    /** Every message box shown, in order (questions included). */
    QStringList messages;
    /** How many of those were Yes/No questions. */
    int questions = 0;
    /** Every label repaint, as "control: text", in order. */
    QStringList labelTexts;
    /** Dialog requests seen, in order. */
    QList<FileDialog> dialogs;
    /** The default button of each question, in order. */
    QList<Answer> defaultButtons;
    /** The buttons each question offered, in order, by their captions as read (without the key marks). */
    QList<QStringList> buttonSets;
    int beeps = 0;
    int busyDepth = 0;
    int busyCalls = 0;

    /** Answers to questions, used in order; then `defaultAnswer`. */
    std::deque<Answer> answers;
    Answer defaultAnswer = Answer::No;
    /** When no answer is scripted, the question's own default button answers, as Enter would. */
    bool pressEnter = false;
    /** Answers to file-open dialogs, used in order; an empty list is a Cancel. */
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    /** Pages by address; an address without a page fails. */
    QMap<QString, QByteArray> pages;
    QStringList requestedUrls;
    /** True: a request started with startHttpGet() waits for answerHttp() or a cancel. */
    bool holdHttp = false;
    QDate todayDate = QDate(2026, 12, 6);
    QString dateFormat = QStringLiteral("M/d/yyyy");
    /** False: startPrint finds no printer. */
    bool printerAvailable = true;
    /** True: every print job fails when its document ends. */
    bool printFails = false;
    /** Every print job that ended successfully, in order. */
    QList<PrintJob> printJobs;
    /** Every program started, as its path followed by its arguments; none is really started. */
    QList<QStringList> startedPrograms;

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
    /** Answers the request that startHttpGet() left waiting, if any. */
    void answerHttp();
    std::unique_ptr<PrinterSink> startPrint(bool landscape) override;
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        startedPrograms << QStringList{program} + arguments;
        return true;
    }
    QDate today() override { return todayDate; }
    QString shortDateFormat() override { return dateFormat; }

private:
    std::function<void()> m_pendingHttp;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
