// libFuzzer target for the settings file reader: any file gives the values, the defaults (empty) or
// "damaged", never a crash; values that are read come back unchanged when written and read again.
#include "output/gridsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool same(const GridSettings::Values& a, const GridSettings::Values& b)
{
    return a.widths == b.widths && a.backColor == b.backColor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz-settings-%1.ini").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    file.close();

    const GridSettings::Loaded loaded = GridSettings::load(path);
    const auto parsed = GridSettings::parse(bytes);
    using Status = GridSettings::Loaded::Status;
    if (bytes.trimmed().isEmpty()) {
        check(loaded.status == Status::Empty);
        return 0;
    }
    check(loaded.status == (parsed ? Status::Values : Status::Damaged));
    if (!parsed)
        return 0;
    check(same(loaded.values, *parsed));
    for (std::int16_t w : parsed->widths)
        check(w >= 0);
    const QByteArray line = GridSettings::format(*parsed);
    const auto again = GridSettings::parse(line);
    check(again && same(*again, *parsed) && GridSettings::format(*again) == line);
    return 0;
}
