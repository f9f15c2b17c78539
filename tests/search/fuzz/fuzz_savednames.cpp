// libFuzzer target for the saved stable names file: any file reads, never a crash, as a list of sets or as a
// message, and a list that was read comes back unchanged when written and read again. Each set's names, split
// into the four boxes and saved again as a set, split back into the same names.
#include "../../fuzzsupport.h"
#include "search/savednames.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const SavedNames::ReadResult r = SavedNames::read(inputFile(bytes, "savednames", "txt"));
    // A small regular file is always read; a message would come with no list.
    check(r.error.isEmpty());
    for (const QString& set : r.sets) {
        check(!set.isEmpty() && !set.contains(QLatin1Char('\n')));
        QStringList names;
        for (const QString& box : SavedNames::splitSet(set)) {
            if (!box.isEmpty())
                names << box;
        }
        // A name with a quote of its own is refused before it is saved.
        if (names.join(QString()).contains(QLatin1Char('"')))
            continue;
        QStringList again;
        for (const QString& box : SavedNames::splitSet(SavedNames::joinSet(names))) {
            if (!box.isEmpty())
                again << box;
        }
        check(again == names);
    }

    const QString copy = scratchPath("savednames-copy", "txt");
    check(SavedNames::write(copy, r.sets).isEmpty());
    const SavedNames::ReadResult again = SavedNames::read(copy);
    check(again.error.isEmpty() && again.sets == r.sets);
    return 0;
}
