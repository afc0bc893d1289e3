#include "common/Opener.h"

#include <QDesktopServices>

namespace {
class DesktopOpener final : public Opener {
public:
    bool open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};
Opener* g_installed = nullptr;
}  // namespace

Opener& opener()
{
    static DesktopOpener desktop;
    return g_installed ? *g_installed : desktop;
}

void setOpener(Opener* o) { g_installed = o; }
