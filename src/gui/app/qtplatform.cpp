#include "gui/app/qtplatform.h"

#include "paint/printpainter.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QToolBar>

static const QString Title = QStringLiteral("Turf Trawler");

DialogOwner::operator QWidget*() const
{
    // The active window is the one the player clicked or typed in. A window of another program, a menu, or
    // one of ours hidden on the way out leaves the main window as the owner.
    QWidget* active = QApplication::activeWindow();
    if (!active || !active->isVisible() || active->windowType() == Qt::Popup)
        return m_main;
    for (QWidget* w = active; w; w = w->parentWidget())
        if (w == m_main)
            return active;
    return m_main;
}

QtPlatform::QtPlatform(QWidget* parent) : m_parent(parent) {}
QtPlatform::~QtPlatform() = default;

void QtPlatform::addLabel(const QString& control, QLabel* label)
{
    m_labels.append({control, label});
}

/** Message texts keep their carriage returns as line breaks. */
static QString shown(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

class QtPlatform::WaitingForPlayer
{
public:
    explicit WaitingForPlayer(QtPlatform& platform) : m_platform(platform)
    {
        ++m_platform.m_waiting;
        m_platform.showPointer();
    }
    ~WaitingForPlayer()
    {
        --m_platform.m_waiting;
        m_platform.showPointer();
    }
    WaitingForPlayer(const WaitingForPlayer&) = delete;
    WaitingForPlayer& operator=(const WaitingForPlayer&) = delete;

private:
    QtPlatform& m_platform;
};

void QtPlatform::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title, shown(text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    WaitingForPlayer waiting(*this);
    box.exec();
}

Platform::Answer QtPlatform::askYesNo(const QString& text, Answer defaultButton)
{
    QMessageBox box(QMessageBox::NoIcon, Title, shown(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    WaitingForPlayer waiting(*this);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Platform::Answer QtPlatform::askChoice(const QString& text, const QList<Choice>& buttons,
                                       Answer defaultButton)
{
    QMessageBox box(QMessageBox::NoIcon, Title, shown(text), QMessageBox::NoButton, m_parent);
    box.setTextFormat(Qt::PlainText);
    QMap<QAbstractButton*, Answer> answers;
    for (const Choice& c : buttons) {
        const QMessageBox::ButtonRole role = c.answer == Answer::No    ? QMessageBox::RejectRole
                                             : c.answer == Answer::Yes ? QMessageBox::AcceptRole
                                                                       : QMessageBox::ActionRole;
        QPushButton* b = box.addButton(c.caption, role);
        if (c.answer == Answer::No)
            box.setEscapeButton(b);
        answers.insert(b, c.answer);
        if (c.answer == defaultButton)
            box.setDefaultButton(b);
    }
    WaitingForPlayer waiting(*this);
    box.exec();
    return answers.value(box.clickedButton(), Answer::No);
}

QStringList QtPlatform::qtFilters(const QStringList& filters)
{
    QStringList out;
    for (const QString& entry : filters) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        QString caption = bar < 0 ? entry : entry.left(bar);
        QString pattern = bar < 0 ? QStringLiteral("*") : entry.mid(bar + 1);
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*"); // every file, with or without a dot in its name
        const qsizetype paren = caption.indexOf(QLatin1String(" ("));
        if (paren >= 0)
            caption = caption.left(paren);
        out << caption + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

QStringList QtPlatform::openFiles(const FileDialog& dialog)
{
    const QStringList filters = qtFilters(dialog.filters);
    QString selected = filters.value(dialog.selectedFilter);
    WaitingForPlayer waiting(*this);
    if (dialog.multiple)
        return QFileDialog::getOpenFileNames(m_parent, dialog.title, dialog.folder,
                                             filters.join(QStringLiteral(";;")), &selected);
    const QString one = QFileDialog::getOpenFileName(m_parent, dialog.title, dialog.folder,
                                                     filters.join(QStringLiteral(";;")), &selected);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QString QtPlatform::saveFile(const FileDialog& dialog)
{
    const QStringList filters = qtFilters(dialog.filters);
    QFileDialog box(m_parent, dialog.title, dialog.defaultName, filters.join(QStringLiteral(";;")));
    box.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the chosen filter's ("Text Files (*.txt)": .txt), before the
    // dialog asks about replacing a file of that name; every file's filter adds none.
    const auto suffixOf = [&](const QString& filter) {
        const QString pattern =
            filters.indexOf(filter) < 0 ? QString() : filter.section(QLatin1Char('('), -1);
        const bool one = pattern.startsWith(QLatin1String("*.")) && !pattern.contains(QLatin1Char(' '));
        return one ? pattern.mid(2).chopped(1) : QString();
    };
    const QString selected = filters.value(dialog.selectedFilter);
    box.selectNameFilter(selected);
    box.setDefaultSuffix(suffixOf(selected));
    QObject::connect(&box, &QFileDialog::filterSelected, &box,
                     [&](const QString& filter) { box.setDefaultSuffix(suffixOf(filter)); });
    WaitingForPlayer waiting(*this);
    return box.exec() == QDialog::Accepted ? box.selectedFiles().value(0) : QString();
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::setBusy(bool busy)
{
    m_busy = busy ? m_busy + 1 : std::max(0, m_busy - 1);
    showPointer();
}

void QtPlatform::showPointer()
{
    // Work and questions overlap (an import finishing while a box is open): the pointer follows both counts.
    const bool wanted = m_busy > 0 && m_waiting == 0;
    if (wanted == m_pointerShown)
        return;
    m_pointerShown = wanted;
    if (wanted)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtPlatform::repaintLabel(const QString& control, const QString& text)
{
    for (const auto& [name, label] : m_labels) {
        if (name == control && label) {
            label->setText(shown(text));
            label->repaint();
        }
    }
}

Platform::HttpResult QtPlatform::httpGet(const QString& url)
{
    return m_connection.get(url);
}

void QtPlatform::startHttpGet(const QString& url, std::function<void(const HttpResult&)> done)
{
    m_connection.start(url, std::move(done));
}

void QtPlatform::cancelHttpGet()
{
    m_connection.cancel();
}

namespace
{
/** Keeps the job, then shows its pages in a print preview, from which the user prints them or writes a PDF.
 */
class PreviewPrinter : public RecordingPrinterSink
{
public:
    PreviewPrinter(QWidget* parent, bool landscape) : RecordingPrinterSink(landscape), m_parent(parent) {}
    bool endDoc() override
    {
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewDialog preview(&printer, m_parent);
        preview.setWindowTitle(QStringLiteral("Turf Trawler"));
        addPaperChoice(preview, printer);
        bool ok = true;
        // Called for the preview and again for the printer; the last call tells whether the pages went out.
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
            // A PDF chosen in the print dialog is written as the command-line tool writes one, to a new file
            // that takes the chosen name's place only when whole; the printer's own writer would empty an
            // earlier PDF on a full disk, and wait for good on a pipe.
            if (target->paintEngine() && target->paintEngine()->type() == QPaintEngine::Pdf &&
                !target->outputFileName().isEmpty()) {
                m_failure = writePdf(job(), target->outputFileName(), target->pageLayout().pageSize().id());
                ok = m_failure.isEmpty();
                return;
            }
            PainterPrinterSink sink(target);
            ok = sink.ok() && replay(job(), sink);
        });
        // The preview accepts once the pages went to a printer or a file.
        m_closed = preview.exec() != QDialog::Accepted;
        return ok;
    }
    QString failure() const override { return m_failure; }
    bool closedUnprinted() const override { return m_closed; }

private:
    /** The two papers players print on, the default printer's (or else the country's) chosen first. */
    void addPaperChoice(QPrintPreviewDialog& preview, QPrinter& printer) const
    {
        auto* paper = new QComboBox(&preview);
        paper->setObjectName(QStringLiteral("paper"));
        paper->addItem(QStringLiteral("Letter"), int(QPageSize::Letter));
        paper->addItem(QStringLiteral("A4"), int(QPageSize::A4));
        const QPageSize::PageSizeId usual = QPrinterInfo::defaultPrinter().defaultPageSize().id();
        const bool a4 =
            usual == QPageSize::A4 ||
            (usual != QPageSize::Letter && QLocale::system().measurementSystem() == QLocale::MetricSystem);
        paper->setCurrentIndex(a4 ? 1 : 0);
        const bool landscape = job().landscape;
        const auto layOut = [&printer, paper, landscape] {
            printer.setPageLayout(
                reportPageLayout(landscape, QPageSize::PageSizeId(paper->currentData().toInt())));
        };
        layOut();
        QObject::connect(paper, &QComboBox::currentIndexChanged, &preview, [&preview, layOut] {
            layOut();
            if (auto* pages = preview.findChild<QPrintPreviewWidget*>())
                pages->updatePreview();
        });
        if (auto* tools = preview.findChild<QToolBar*>()) {
            tools->addSeparator();
            auto* label = new QLabel(QStringLiteral("&Paper: "), tools);
            label->setBuddy(paper);
            tools->addWidget(label);
            tools->addWidget(paper);
        }
    }

    QPointer<QWidget> m_parent;
    QString m_failure;
    bool m_closed = false;
};
} // namespace

std::unique_ptr<PrinterSink> QtPlatform::startPrint(bool landscape)
{
    if (!QPrinter().isValid())
        return nullptr;
    return std::make_unique<PreviewPrinter>(m_parent, landscape);
}

QDate QtPlatform::today()
{
    return QDate::currentDate();
}
QString QtPlatform::shortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

bool QtPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
