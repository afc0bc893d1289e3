#include "common/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

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
    localiseButtons(box);
    box.exec();
}

void QtPrompts::box(QWidget* parent, const QString& text, const QString& caption, Icon icon)
{
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        qicon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qicon = QMessageBox::Warning;
        break;
    case Icon::Error:
        qicon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(qicon, caption, text, QMessageBox::Ok, parent);
    localiseButtons(box);
    box.exec();
}

bool QtPrompts::ask(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    localiseButtons(box);
    return box.exec() == QMessageBox::Yes;
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
    localiseButtons(box);
    box.exec();
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
