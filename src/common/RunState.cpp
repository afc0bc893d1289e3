#include "common/RunState.h"

int ListOrder = 0;
int ViewMode = 0;
int ViewerWindowMode = 0;
qint32 ViewerColor = 16777215;
TrayOptionSet TrayOptions;

void resetInMemorySettings()
{
    ListOrder = 0;
    ViewMode = 0;
    ViewerWindowMode = 0;
    ViewerColor = 16777215;
    TrayOptions = TrayOptionSet {};
}

QString ResultMessage;
QString OpenViewerCaption;
TDragForm* DragForm = nullptr;
TAcceptTextForm* AcceptTextForm = nullptr;
TAcceptExeForm* AcceptExeForm = nullptr;
