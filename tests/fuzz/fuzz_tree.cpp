// Fuzz target: the category tree file loader. Whatever it accepts must save and load again as the
// same tree (names and shape).
#include "tree/CategoryTreeFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// Shape and names only: a level-one node read from a "++" line keeps image 2 until saved.
bool sameShape(const QList<TreeNodeData>& a, const QList<TreeNodeData>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).text != b.at(i).text || !sameShape(a.at(i).children, b.at(i).children))
            return false;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<TreeNodeData> first;
    try {
        first = parseTreeFile(bytes);
    } catch (const EOpenFileError&) {
        return 0;
    }
    const QByteArray saved = treeFileBytes(first);
    QList<TreeNodeData> second;
    try {
        second = parseTreeFile(saved);
    } catch (const EOpenFileError&) {
        std::fprintf(stderr, "a saved tree does not load\n");
        std::abort();
    }
    if (!sameShape(first, second)) {
        std::fprintf(stderr, "tree changed by save and load\n");
        std::abort();
    }
    // The image digits may change once (images come from the level); from then on a save of a
    // loaded save is byte for byte the same.
    const QByteArray again = treeFileBytes(second);
    if (treeFileBytes(parseTreeFile(again)) != again) {
        std::fprintf(stderr, "saving a loaded tree changed its bytes\n");
        std::abort();
    }
    return 0;
}
