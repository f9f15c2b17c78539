#include "app/frmmainfinder.h"
#include "app/qtplatform.h"
#include "app/statusprogress.h"
#include "core/startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Turf Trawler"));
    QtPlatform platform;
    frmmainfinder window(platform, QCoreApplication::applicationDirPath(), defaultBreedingPath());
    platform.setParentWidget(&window);
    platform.addLabel(QStringLiteral("lblprogress"), window.lblprogress);
    platform.addLabel(QStringLiteral("statusline"), window.statusProgress()->textLabel());
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}
