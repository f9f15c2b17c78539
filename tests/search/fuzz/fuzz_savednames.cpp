// libFuzzer target for the saved stable names file: any file reads, never a crash, as a list of sets or as a
// message, and a list that was read comes back unchanged when written and read again.
#include "../../fuzzsupport.h"
#include "search/savednames.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const SavedNames::ReadResult r = SavedNames::read(inputFile(bytes, "savednames", "txt"));
    // A small regular file is always read; a message would come with no list.
    check(r.error.isEmpty());
    for (const QString& set : r.sets)
        check(!set.isEmpty() && !set.contains(QLatin1Char('\n')));

    const QString copy = scratchPath("savednames-copy", "txt");
    check(SavedNames::write(copy, r.sets).isEmpty());
    const SavedNames::ReadResult again = SavedNames::read(copy);
    check(again.error.isEmpty() && again.sets == r.sets);
    return 0;
}
