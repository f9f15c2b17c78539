#pragma once

#include <QTableView>
#include <QTest>

/** A double click on a row of an analysis window's table, as the player makes it: a click, then the double
    click on the same cell. */
inline void doubleClick(QTableView* view, int row)
{
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QPoint cell = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell);
}
