// Fuzz target: the settings reader the program uses. Whatever reads without an error must write and
// read back as the same values; a read that stops keeps the values read before it.
#include "common/SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const SettingsRead read = readSettingsBytes(bytes, SettingsLines::All);
    if (read.read < 0 || read.read > kGeneralValues + 6 || read.ok() != (read.read == kGeneralValues + 6)) {
        std::fprintf(stderr, "read count %d does not match the outcome\n", read.read);
        std::abort();
    }
    if (!read.ok())
        return 0;
    const SettingsValues& v = read.values;
    // A digit read is a single character: "-" or "+" alone never parse, so these are 0..9.
    if (v.icon < 0 || v.icon > 9 || v.order < 0 || v.order > 9) {
        std::fprintf(stderr, "single-column value out of range\n");
        std::abort();
    }
    const SettingsRead again = readSettingsBytes(settingsFileBytes(v), SettingsLines::All);
    if (!again.ok()) {
        std::fprintf(stderr, "written settings do not read: %s\n", qPrintable(again.error));
        std::abort();
    }
    const SettingsValues& w = again.values;
    if (w.icon != v.icon || w.order != v.order || w.viewStyle != v.viewStyle || w.viewStyleDe != v.viewStyleDe
        || w.color != v.color || w.trayWay != v.trayWay || !(w.font == v.font)) {
        std::fprintf(stderr, "settings changed by write and read\n");
        std::abort();
    }
    return 0;
}
