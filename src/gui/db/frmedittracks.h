#pragma once

#include <QWidget>

class Platform;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

/** "Edit Tracks": the track table as a list, with adding and deleting; no editing in place. */
class frmedittracks : public QWidget
{
    Q_OBJECT
public:
    frmedittracks(Platform& platform, const QString& dbPath, QWidget* parent = nullptr);

    void Form_Load();
    /** Refills lsttracks from the table. */
    void loadtracks();
    void cmdaddtrack_Click();
    void cmddeletetrack_Click();

    QGroupBox* franewtracks = nullptr;
    QLabel* lbltracknum = nullptr;
    QLineEdit* txttracknum = nullptr;
    QLabel* lbltrackcode = nullptr;
    QLineEdit* txttrackcode = nullptr;
    QPushButton* cmdaddtrack = nullptr;
    QGroupBox* fratracklist = nullptr;
    QListWidget* lsttracks = nullptr;
    QPushButton* cmddeletetrack = nullptr;

signals:
    /** The track table changed; what changed, in a line for the main window's status bar. */
    void changed(const QString& what);

private:
    Platform& m_platform;
    QString m_dbPath;
};
