// libFuzzer target for the settings file reader: any file reads as values, empty or damaged exactly as its
// text parses, never a crash; values that are read come back unchanged when written and read again.
#include "../../fuzzsupport.h"
#include "output/gridsettings.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = inputFile(bytes, "settings", "ini");

    using Status = GridSettings::Loaded::Status;
    const GridSettings::Loaded loaded = GridSettings::load(path);
    const auto parsed = GridSettings::parse(bytes);
    if (bytes.trimmed().isEmpty()) {
        check(loaded.status == Status::Empty);
    } else if (!parsed) {
        check(loaded.status == Status::Damaged);
    } else {
        // The written line holds every value, so equal lines mean equal values.
        const QByteArray line = GridSettings::format(*parsed);
        check(loaded.status == Status::Values && GridSettings::format(loaded.values) == line);
        for (std::int16_t w : parsed->widths)
            check(w >= 0);
        const auto again = GridSettings::parse(line);
        check(again && GridSettings::format(*again) == line);
    }
    return 0;
}
