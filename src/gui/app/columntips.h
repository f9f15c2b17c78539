#pragma once

#include <QString>

/** What a heading of the results grid stands for, in either layout; empty when the caption says it all. */
QString resultsColumnTip(int column, const QString& caption);
