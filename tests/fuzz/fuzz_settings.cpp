// Fuzz target: the settings reader. Reads every value the program reads; whatever reads without an
// error must write and read back as the same values.
#include "app/SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// Reads every value the program reads, in the program's order; throws SettingsError.
SettingsValues readAll(const SettingsReader& reader)
{
    SettingsValues v;
    v.icon = reader.digitAt(1, 6);
    v.order = reader.digitAt(2, 7);
    v.viewStyle = reader.digitAt(3, 11);
    v.viewStyleDe = reader.digitAt(4, 13);
    v.color = reader.numberFrom(5, 8);
    v.trayWay = reader.textFrom(13, 9);
    readFontRecord(reader, v.font);
    return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const SettingsReader reader = SettingsReader::fromBytes(bytes);
    SettingsValues v;
    try {
        v = readAll(reader);
    } catch (const SettingsError&) {
        return 0;
    }
    // A digit read is a single character: "-" or "+" alone never parse, so these are 0..9.
    if (v.icon < 0 || v.icon > 9 || v.order < 0 || v.order > 9) {
        std::fprintf(stderr, "single-column value out of range\n");
        std::abort();
    }
    const SettingsReader again = SettingsReader::fromBytes(settingsFileBytes(v));
    SettingsValues w;
    try {
        w = readAll(again);
    } catch (const SettingsError& e) {
        std::fprintf(stderr, "written settings do not read: %s\n", qPrintable(e.text));
        std::abort();
    }
    if (w.icon != v.icon || w.order != v.order || w.viewStyle != v.viewStyle || w.viewStyleDe != v.viewStyleDe
        || w.color != v.color || w.trayWay != v.trayWay || !(w.font == v.font)) {
        std::fprintf(stderr, "settings changed by write and read\n");
        std::abort();
    }
    return 0;
}
