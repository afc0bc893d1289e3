#include "browse/Viewer.h"

#include "browse/FindBar.h"
#include "browse/ReadingText.h"
#include "browse/TNewFrmViewer.h"
#include "browse/ViewerFont.h"
#include "common/RunState.h"
#include "common/StatusSink.h"
#include "store/TFile.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVariant>

namespace {
// The material id an action label carries.
qint64 labelTag(const QLabel* label) { return label->property("tag").toLongLong(); }
}  // namespace

TReader::TReader(QPlainTextEdit* pane, const QString& settingsPath, StatusSink& status, QObject* parent)
    : QObject(parent), m_pane(pane), m_settingsPath(settingsPath), m_status(status)
{ }

TReader::~TReader()
{
    for (TNewFrmViewer* window : TNewFrmViewer::liveWindows())
        delete window;
}

void TReader::ViewInThisFrm(QLabel* label)
{
    if (!label)
        return;
    m_pane->clear();
    TFileText file;
    file.LoadById(labelTag(label));
    viewerfont::setBackground(m_pane, ViewerColor);
    ThisFrmFontInit();
    m_pane->setPlainText(readingText(file));
    m_pane->show();
    m_pane->raise();
    if (const QString words = findWords(labelTag(label), false); !words.isEmpty() && m_paneBar)
        m_paneBar->open(words);
}

void TReader::ViewInNewFrm(QLabel* label)
{
    if (!label)
        return;
    const QString caption = label->text();
    const qint64 id = labelTag(label);
    if (ViewerWindowMode == 0) {
        if (TNewFrmViewer* shared = TNewFrmViewer::findByCaption(OpenViewerCaption)) {
            const int content = caption == viewInNewWindowCaption() ? ViewerTextMaterial
                : caption == viewDescriptionCaption()               ? ViewerDescription
                                                                    : -1;
            shared->ReView(content, id);
            if (const QString words = findWords(id, content == ViewerDescription); !words.isEmpty() && content >= 0)
                shared->Find->open(words);
            return;
        }
    }
    // Cascaded from the reading area, so that the windows neither cover the list nor hide each other.
    const QWidget* area = m_pane->parentWidget() ? m_pane->parentWidget() : m_pane;
    const QRect readingArea(area->mapToGlobal(QPoint(0, 0)), area->size());
    const QRect screen = area->screen() ? area->screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    // The frame is not known before the window is shown; a usual one is allowed for.
    const QSize frame = TNewFrmViewer::defaultSize() + QSize(10, 36);
    const QPoint at
        = TNewFrmViewer::cascadePosition(readingArea, screen, frame, int(TNewFrmViewer::liveWindows().size()));
    // Owns itself: destroyed when closed.
    auto* viewer = new TNewFrmViewer(caption, id, m_settingsPath, &m_status, nullptr, at);
    const bool example = caption == viewDescriptionCaption();
    if (const QString words = findWords(id, example);
        !words.isEmpty() && (example || caption == viewInNewWindowCaption()))
        viewer->Find->open(words);
}

void TReader::setFindWords(FindWords words, FindBar* paneBar)
{
    m_findWords = std::move(words);
    m_paneBar = paneBar;
}

void TReader::ThisFrmFontInit()
{
    // A settings file that cannot give the font leaves the previous font; the material is still
    // shown and the reason goes to the status bar.
    QString error;
    if (!viewerfont::applyFromSettings(m_pane, m_settingsPath, &error))
        m_status.showStatus(error);
}
