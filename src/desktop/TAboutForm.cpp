#include "desktop/TAboutForm.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QFont songFont(int pixels, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("关于Quillstash"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    ProductLabel = new QLabel(QStringLiteral("Quillstash"), this);
    ProductLabel->setFont(songFont(16, true));
    QPalette pal = ProductLabel->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 0, 0));  // maroon
    ProductLabel->setPalette(pal);

    NoteLabel1 = new QLabel(QStringLiteral("说明：从这个工具发布以来，作者也没有想到会得到那么"), this);
    NoteLabel2 = new QLabel(QStringLiteral("多人的支持，感谢大家了，你们的支持使我有热情更新。"), this);
    NoteLabel1->setFont(songFont(12, false));
    NoteLabel2->setFont(songFont(12, false));

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    VersionLabel = new QLabel(QStringLiteral("版本：1.5.5 Release"), this);
    VersionLabel->setFont(songFont(12, false));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(4);
    layout->addWidget(ProductLabel);
    layout->addWidget(NoteLabel1);
    layout->addWidget(NoteLabel2);
    layout->addWidget(rule);
    layout->addWidget(VersionLabel);
    layout->addStretch(1);

    setFixedSize(329, 118);
}
