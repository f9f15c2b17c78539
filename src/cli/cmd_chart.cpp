#include "cli/cli.h"
#include "cli/clisession.h"
#include "cli/searchoptions.h"

#include "core/datafolder.h"
#include "gui/widgets/formchartplot.h"
#include "output/formchart.h"
#include "search/gethorse.h"

#include <QChartView>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace
{

int fail(CliContext& c, const QString& text, int status = 2)
{
    c.err << "turftrawler-cli chart: " << text << "\n";
    return status;
}

/** The messages the search or the chart showed, and the status of a command they stopped. */
int refused(CliContext& c, const HeadlessPlatform& platform)
{
    for (const QString& m : platform.messages)
        c.err << QString(m).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    return 1;
}

int chart(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString horse = takeOption(args, QStringLiteral("--horse"), QString(), ok);
    const QString id = takeOption(args, QStringLiteral("--id"), QString(), ok);
    const QString png = takeOption(args, QStringLiteral("--png"), QString(), ok);
    SearchOptions options;
    if (!options.take(args) || !ok)
        return fail(c, QStringLiteral("an option is missing its value"));
    if (!args.isEmpty())
        return fail(c, QStringLiteral("unexpected argument ") + args.first());
    if (horse.isNull())
        return fail(c, QStringLiteral("give --horse NAME"));

    CliSession session(c.dir, breedingPathFor(c.dir));
    if (!session.ok())
        return fail(c, session.error(), 1);
    if (const QString error = options.apply(session); !error.isEmpty())
        return fail(c, error);
    const qint16 mode = id.isNull() ? 2 : 1;
    // The row the search leaves selected is the horse's, as in the window before any click.
    if (!gethorse(session.state, mode, nameBoxText(mode, horse), id))
        return refused(c, session.platform);
    const std::optional<FormChart> form = chartspeed_Click(session.state);
    if (!form)
        return refused(c, session.platform);

    if (!png.isEmpty()) {
        const std::unique_ptr<QChartView> view(
            FormChartPlot::makeView(*form, session.platform.shortDateFormat()));
        view->resize(1000, 600);
        const QString why = FormChartPlot::savePng(*view, png);
        if (!why.isEmpty())
            return fail(c,
                        QStringLiteral("the chart could not be saved to %1: %2")
                            .arg(QDir::toNativeSeparators(png), why),
                        1);
    }
    if (options.json) {
        c.out << QString::fromUtf8(QJsonDocument(form->toJson()).toJson(QJsonDocument::Indented));
        return 0;
    }
    c.out << form->title() << "\n";
    for (const FormPoint& p : form->points)
        c.out << p.tip(session.platform.shortDateFormat()).replace(QLatin1Char('\n'), QLatin1String("; "))
              << (p.win ? "; win\n" : "\n");
    c.out << QStringLiteral("Best %1, average %2\n").arg(form->best, 0, 'f', 1).arg(form->average, 0, 'f', 1);
    return 0;
}

CliRegistrar chartCommand{
    {QStringLiteral("chart"), CliGroup::Output,
     QStringLiteral("--horse NAME [--id ID] [--png FILE] [--json] ") + SearchOptions::usage(),
     QStringLiteral("Charts a horse's speed figures. Its starts oldest first: one line a "
                    "start, the points as JSON, or the chart window's picture as a PNG."),
     chart, true}};

} // namespace
