// Placeholder definitions until the material store lands.
#include "store/Escaping.h"
#include "store/TFile.h"
#include "store/TMainData.h"

#include <QProgressBar>
#include <QStatusBar>

TMainData* MainData = nullptr;
QString ResultMessage;

TMainData::TMainData(const QString& programDir) : m_programDir(programDir) { MainData = this; }
TMainData::~TMainData()
{
    if (MainData == this)
        MainData = nullptr;
}
void TMainData::setStatusWidgets(QStatusBar* status, QProgressBar* progress)
{
    MainStatus = status;
    MainProgressBar = progress;
}
