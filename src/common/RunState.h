#pragma once
// The program-wide state of a run, in one place. Each value has one writer:
// - the in-memory settings: read at start-up and replaced by the options dialog (app/);
// - ResultMessage: the outcome of the last record operation, written by the records (store/) only;
// - OpenViewerCaption: the caption of the viewer window filled last, kept by the viewer windows
//   (browse/);
// - the floating drop window and the open filing dialogs: created and destroyed by the floating
//   window's code (desktop/), empty while they do not exist.
#include <QString>

struct TrayOptionSet {
    bool minimize = false;  // minimise to tray
    bool close = true;  // close to tray
    bool operator==(const TrayOptionSet& o) const { return minimize == o.minimize && close == o.close; }
};

extern int ListOrder;  // 0 unordered, 1 by title, 2 by creation time
extern int ViewMode;  // 0 read in the main window, 1 in a viewer window
extern int ViewerWindowMode;  // 0 one shared viewer window, 1 a window per material
extern qint32 ViewerColor;  // background of both reading areas (0x00BBGGRR or system colour)
extern TrayOptionSet TrayOptions;
// Restores the values the program has before the settings file is read.
void resetInMemorySettings();

// "添加成功！你可以继续操作！", "操作成功！" or "数据库操作失败！ 原因：" + error text.
extern QString ResultMessage;

// Empty when no viewer window has been filled yet or after one was closed.
extern QString OpenViewerCaption;

class TDragForm;
class TAcceptTextForm;
class TAcceptExeForm;
extern TDragForm* DragForm;
extern TAcceptTextForm* AcceptTextForm;
extern TAcceptExeForm* AcceptExeForm;
