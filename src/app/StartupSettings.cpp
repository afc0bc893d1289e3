#include "app/StartupSettings.h"

#include "common/SettingsFile.h"

QString readStartupSettings(const QString& settingsPath, const std::function<void(int)>& applyListViewStyle)
{
    const SettingsRead read = readSettings(settingsPath, SettingsLines::General);
    const SettingsValues& v = read.values;
    if (read.read >= 5)
        ViewerColor = v.color;
    if (!read.ok())
        return read.error;
    TrayOptions = trayOptionsFromText(v.trayWay);
    if (applyListViewStyle)
        applyListViewStyle(v.icon);
    ListOrder = v.order == 0 ? 1 : v.order == 1 ? 2 : 0;
    ViewMode = (v.viewStyle == 0 || v.viewStyle == 1) ? v.viewStyle : 0;
    ViewerWindowMode = (v.viewStyleDe == 0 || v.viewStyleDe == 1) ? v.viewStyleDe : 0;
    return QString();
}
