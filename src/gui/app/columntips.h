#pragma once

#include <QString>

/** What a heading of the results grid stands for, in either layout; empty when the caption says it all. The
    track codes' heading says where they come from while the database at dbPath has none. */
QString resultsColumnTip(int column, const QString& caption, const QString& dbPath);
