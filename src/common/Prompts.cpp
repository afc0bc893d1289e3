#include "common/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
Prompts* g_installed = nullptr;

// The boxes speak the program's language whatever the system's Qt translations are.
void localiseButtons(QMessageBox& box)
{
    if (QAbstractButton* b = box.button(QMessageBox::Ok))
        b->setText(QStringLiteral("确定"));
    if (QAbstractButton* b = box.button(QMessageBox::Yes))
        b->setText(QStringLiteral("是(&Y)"));
    if (QAbstractButton* b = box.button(QMessageBox::No))
        b->setText(QStringLiteral("否(&N)"));
}

// A window manager cuts a title that is wider than its window ("Q… h"): the box is made wide enough
// for its caption beside the frame's buttons.
void fitCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);  // as most title bars are
    const int needed = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 160;
    grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
        grid->columnCount());
}

int run(QMessageBox& box)
{
    localiseButtons(box);
    fitCaption(box);
    return box.exec();
}

QString applicationTitle()
{
    const QString name = QApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Quillstash") : name;
}
}  // namespace

Prompts& prompts()
{
    static QtPrompts qtPrompts;
    return g_installed ? *g_installed : qtPrompts;
}

void setPrompts(Prompts* p) { g_installed = p; }

void QtPrompts::message(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    run(box);
}

namespace {
QMessageBox::Icon boxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::None:
        break;
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

void QtPrompts::box(QWidget* parent, const QString& text, const QString& caption, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, parent);
    run(box);
}

bool QtPrompts::ask(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    return run(box) == QMessageBox::Yes;
}

bool QtPrompts::input(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

void QtPrompts::standardError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parent);
    run(box);
}

QString QtPrompts::chooseFile(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

bool QtPrompts::chooseFont(QWidget* parent, QFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

QString QtPrompts::chooseFolder(QWidget* parent, const QString& caption)
{
    return QFileDialog::getExistingDirectory(parent, caption);
}

QStringList QtPrompts::chooseFilesOrFolder(QWidget* parent, const QString& caption, const QString& filter)
{
    // The widget dialog, because the system's own file dialogs choose either files or a folder.
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("导入"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    QString folder;
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* whole = buttons->addButton(QStringLiteral("导入整个文件夹"), QDialogButtonBox::ActionRole);
        QObject::connect(whole, &QPushButton::clicked, &dialog, [&dialog, &folder] {
            // The folder selected in the list, else the folder the dialog shows.
            const QStringList selected = dialog.selectedFiles();
            folder = selected.size() == 1 && QFileInfo(selected.first()).isDir() ? selected.first()
                                                                                 : dialog.directory().absolutePath();
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);
        });
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return folder.isEmpty() ? dialog.selectedFiles() : QStringList {folder};
}

void QtPrompts::report(QWidget* parent, const QString& text, const QString& details, const QString& caption, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, parent);
    if (!details.isEmpty())
        box.setDetailedText(details);
    run(box);
}
