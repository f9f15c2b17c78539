#pragma once

class QAbstractButton;
class QWidget;

/**
 * Gives a small window the keys of a dialog: Escape closes it, and Enter presses the button that has the
 * focus or, elsewhere in the window, its main button (none: Enter does nothing of its own).
 */
void giveDialogKeys(QWidget* window, QAbstractButton* mainButton = nullptr);
