#pragma once
// Hands files and links to the desktop (the shell's default action), behind an interface so
// tests can record what would have been opened.
#include <QUrl>

class Opener {
public:
    virtual ~Opener() = default;
    virtual bool open(const QUrl& url) = 0;
};

Opener& opener();
// Installs o (not owned); nullptr restores the desktop implementation.
void setOpener(Opener* o);
