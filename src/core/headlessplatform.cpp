#include "core/headlessplatform.h"

#include <QTimer>

void HeadlessPlatform::message(const QString& text)
{
    messages << text;
}

Platform::Answer HeadlessPlatform::askYesNo(const QString& text, Answer defaultButton)
{
    return askChoice(text, {{Answer::Yes, QStringLiteral("&Yes")}, {Answer::No, QStringLiteral("&No")}},
                     defaultButton);
}

Platform::Answer HeadlessPlatform::askChoice(const QString& text, const QList<Choice>& buttons,
                                             Answer defaultButton)
{
    messages << text;
    defaultButtons << defaultButton;
    QStringList captions;
    for (const Choice& b : buttons)
        captions << QString(b.caption).remove(QLatin1Char('&'));
    buttonSets << captions;
    ++questions;
    if (answers.empty())
        return pressEnter ? defaultButton : defaultAnswer;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QStringList HeadlessPlatform::openFiles(const FileDialog& dialog)
{
    dialogs << dialog;
    if (openAnswers.empty())
        return {};
    QStringList a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

QString HeadlessPlatform::saveFile(const FileDialog& dialog)
{
    dialogs << dialog;
    if (saveAnswers.empty())
        return {};
    QString a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

void HeadlessPlatform::beep()
{
    ++beeps;
}

void HeadlessPlatform::setBusy(bool busy)
{
    busyDepth += busy ? 1 : -1;
    if (busy)
        ++busyCalls;
}

void HeadlessPlatform::repaintLabel(const QString& control, const QString& text)
{
    labelTexts << control + QStringLiteral(": ") + text;
}

Platform::HttpResult HeadlessPlatform::httpGet(const QString& url)
{
    requestedUrls << url;
    HttpResult r;
    if (pages.contains(url)) {
        r.ok = true;
        r.body = pages.value(url);
    } else {
        r.error = QStringLiteral("No page at %1").arg(url);
    }
    return r;
}

void HeadlessPlatform::startHttpGet(const QString& url, std::function<void(const HttpResult&)> done)
{
    m_pendingHttp = [this, url, done] { done(httpGet(url)); };
    if (!holdHttp) {
        const std::weak_ptr<bool> alive = m_alive;
        QTimer::singleShot(0, [this, alive] {
            if (alive.lock())
                answerHttp();
        });
    }
}

void HeadlessPlatform::cancelHttpGet()
{
    m_pendingHttp = nullptr;
}

void HeadlessPlatform::answerHttp()
{
    if (const auto answer = std::exchange(m_pendingHttp, nullptr))
        answer();
}

namespace
{
/** Hands the finished job to the platform's record. */
class HeadlessPrinter : public RecordingPrinterSink
{
public:
    HeadlessPrinter(HeadlessPlatform& platform, bool landscape)
        : RecordingPrinterSink(landscape), m_platform(platform)
    {
    }
    bool endDoc() override
    {
        if (m_platform.printFails)
            return false;
        m_platform.printJobs << job();
        return true;
    }

private:
    HeadlessPlatform& m_platform;
};
} // namespace

std::unique_ptr<PrinterSink> HeadlessPlatform::startPrint(bool landscape)
{
    if (!printerAvailable)
        return nullptr;
    return std::make_unique<HeadlessPrinter>(*this, landscape);
}
