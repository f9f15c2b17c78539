#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

/** A print job in twips, landscape or portrait, drawn page by page. */
class PrinterSink
{
public:
    virtual ~PrinterSink() = default;
    virtual void setFont(const QString& family, double pointSize, bool bold) = 0;
    /** Width of a text in the current font, in twips. */
    virtual int textWidth(const QString& text) = 0;
    /** Draws a text from its top-left corner; a right edge above 0 cuts it where the next column starts. */
    virtual void drawText(int xTwips, int yTwips, const QString& text, int rightTwips = 0) = 0;
    virtual int page() const = 0;
    virtual void newPage() = 0;
    /** Ends the document; false when the output could not be completed. */
    virtual bool endDoc() = 0;
    /** Why the document could not be completed, when the sink knows ("No space left on device"). */
    virtual QString failure() const { return {}; }
};

/** Everything that needs a person or the outside world: the core calls only this. */
class Platform
{
public:
    /** A button of a question; Skip, YesToAll and SkipAll only where a question offers them. */
    enum class Answer { Ok, Yes, No, Skip, YesToAll, SkipAll };

    /** A button of a question that names what it does: the answer it gives, and its caption with the key
        letter marked ("&Replace"). */
    struct Choice {
        Answer answer;
        QString caption;
    };

    /** One result of an HTTP GET: the body, or an error text when ok is false. */
    struct HttpResult {
        bool ok = false;
        QByteArray body;
        QString error;
    };

    /** One file-dialog request. Filters are "Caption|pattern" pairs as the menus define them. */
    struct FileDialog {
        QString title;
        QStringList filters;    // e.g. {"All Files (*.*)|*.*", "Raceout.zip Files (*.zip)|*.zip"}
        int selectedFilter = 0; // index into filters
        bool multiple = false;
        QString defaultName;
        QString folder; // where the dialog opens; empty for the toolkit's choice
    };

    virtual ~Platform() = default;

    /** A plain message box titled "Turf Trawler" with an OK button. */
    virtual void message(const QString& text) = 0;
    /** A plain message box titled "Turf Trawler" with Yes and No buttons, Yes the default button. */
    Answer askYesNo(const QString& text) { return askYesNo(text, Answer::Yes); }
    /** The same question with the button that Enter presses given (Yes or No). */
    virtual Answer askYesNo(const QString& text, Answer defaultButton) = 0;
    /** A question with the buttons given, each captioned by what it does; Escape answers No. */
    virtual Answer askChoice(const QString& text, const QList<Choice>& buttons, Answer defaultButton) = 0;
    /** File-open dialog; an empty list means the user cancelled. */
    virtual QStringList openFiles(const FileDialog& dialog) = 0;
    /** File-save dialog; an empty text means the user cancelled. */
    virtual QString saveFile(const FileDialog& dialog) = 0;
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
    /** A label's text changed and must be shown now, before the operation goes on. */
    virtual void repaintLabel(const QString& control, const QString& text) = 0;
    /** Fetches one address, waiting for the whole answer. */
    virtual HttpResult httpGet(const QString& url) = 0;
    /** Starts fetching one address and returns at once: done runs later, from the event loop, with the
        result, unless cancelHttpGet() or a newer request comes first. */
    virtual void startHttpGet(const QString& url, std::function<void(const HttpResult&)> done) = 0;
    /** Drops the request in progress; its done never runs. */
    virtual void cancelHttpGet() = 0;
    /** Starts a print job (landscape when asked); null when no printer is available or the user cancelled. */
    virtual std::unique_ptr<PrinterSink> startPrint(bool landscape) = 0;
    /** Starts another program that runs on after this one; false when it could not be started. */
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    virtual QDate today() = 0;
    /** The user's short date format, as a QDate format text. */
    virtual QString shortDateFormat() = 0;
};

/** Restores the normal pointer however the scope is left. */
class BusyPointer
{
public:
    explicit BusyPointer(Platform& platform) : m_platform(platform) { m_platform.setBusy(true); }
    ~BusyPointer() { m_platform.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Platform& m_platform;
};
