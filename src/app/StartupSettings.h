#pragma once
// The settings file as start-up takes it: into the program-wide state (common/RunState.h) and the main
// list's view style.
#include <QString>
#include <functional>

// Reads the general lines of settingsPath, sets the in-memory settings and hands the list view style to
// applyListViewStyle (may be empty). The colour is taken as soon as it is read; the rest only when every
// line was. Returns the reader's error text when it stopped, empty when not; showing it is the caller's.
QString readStartupSettings(const QString& settingsPath, const std::function<void(int)>& applyListViewStyle);
