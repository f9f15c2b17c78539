#include "app/gridview.h"
#include "core/gridstate.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace Qt::StringLiterals;

class TestGridModel : public QObject
{
    Q_OBJECT
private slots:
    void modelFollowsTheState()
    {
        GridState g(2, 18, 1, 0);
        g.setText(0, 0, u"Name"_s);
        GridTableModel model(g, true);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Name"_s);
        g.setRows(15001);
        g.setCols(19);
        for (int r = 1; r < 15001; ++r) {
            g.setText(r, 0, u"Horse %1"_s.arg(r));
            g.setRowColour(r, 0, 18, std::uint8_t(1 + r % 6));
        }
        model.sync();
        QCOMPARE(model.rowCount(), 15000);
        QCOMPARE(model.columnCount(), 19);
        QCOMPARE(model.index(14999, 0).data().toString(), u"Horse 15000"_s);
        QCOMPARE(model.index(0, 5).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0)); // index 2
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
