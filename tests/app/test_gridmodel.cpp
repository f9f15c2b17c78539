#include "core/gridstate.h"
#include "app/gridview.h"

#include <QAbstractItemModelTester>
#include <QTest>

class TestGridModel : public QObject
{
    Q_OBJECT
private slots:
    void stateKeepsCellsAcrossReshapes()
    {
        GridState g(3, 3, 1, 0);
        g.setText(1, 1, QStringLiteral("a"));
        g.setColour(1, 1, Palette::DarkCyan);
        g.setText(2, 2, QStringLiteral("b"));
        g.setCols(19);
        QCOMPARE(g.text(1, 1), QStringLiteral("a"));
        QCOMPARE(g.colour(1, 1), Palette::DarkCyan);
        QCOMPARE(g.text(2, 2), QStringLiteral("b"));
        QCOMPARE(g.colWidth(18), -1);
        g.setRows(2);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.text(1, 1), QStringLiteral("a"));
        g.setRows(4);
        QVERIFY(g.text(3, 1).isEmpty());
        g.setColAlign(1, Align::RightCenter);
        g.clear();
        QVERIFY(g.text(1, 1).isEmpty());
        QCOMPARE(g.colour(1, 1), Palette::Default);
        QCOMPARE(g.rows(), 4);
        QCOMPARE(g.colAlign(1), Align::RightCenter); // column settings outlive a clear
    }

    void removeRowMovesRowsUp()
    {
        GridState g(4, 2, 1, 0);
        for (int r = 0; r < 4; ++r)
            g.setText(r, 0, QString::number(r));
        g.setCurrent(3, 1);
        g.removeRow(1);
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.text(1, 0), QStringLiteral("2"));
        QCOMPARE(g.text(2, 0), QStringLiteral("3"));
        QCOMPARE(g.row(), 2);
        g.removeRow(7); // out of range: ignored
        QCOMPARE(g.rows(), 3);
    }

    void modelFollowsTheState()
    {
        GridState g(2, 18, 1, 0);
        g.setText(0, 0, QStringLiteral("Name"));
        GridTableModel model(g, true);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Name"));

        g.setRows(15001);
        g.setCols(19);
        for (int r = 1; r < 15001; ++r) {
            g.setText(r, 0, QStringLiteral("Horse %1").arg(r));
            g.setRowColour(r, 0, 18, std::uint8_t(1 + r % 6));
        }
        model.sync();
        QCOMPARE(model.rowCount(), 15000);
        QCOMPARE(model.columnCount(), 19);
        QCOMPARE(model.index(14999, 0).data().toString(), QStringLiteral("Horse 15000"));
        QCOMPARE(model.index(0, 5).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0)); // index 2

        g.removeRow(1);
        model.sync();
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Horse 2"));
    }

    void viewShowsWidthsInTwips()
    {
        GridState g(2, 3, 1, 0);
        g.setColWidth(0, 1440);
        GridView view(g, true);
        view.sync();
        QCOMPARE(view.columnWidth(0), view.logicalDpiX());
        // A drag writes the width back in twips.
        view.setColumnWidth(1, view.logicalDpiX() / 2);
        QCOMPARE(g.colWidth(1), 720);
        g.setBackColor(0x0000ff); // plain colour value: red
        view.sync();
        QCOMPARE(view.palette().color(QPalette::Base), QColor(255, 0, 0));
    }
};

QTEST_MAIN(TestGridModel)
#include "test_gridmodel.moc"
