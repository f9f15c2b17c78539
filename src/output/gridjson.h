#pragma once

#include <QJsonObject>

class GridState;

/** A grid as {"cells": [[text, ...], ...], "colours": [[palette index 1-6 or null, ...], ...]}, every row
    including the header row and fixed column. */
QJsonObject gridToJson(const GridState& grid);
