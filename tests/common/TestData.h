#pragma once
// A temporary program directory laid with the installation files, and a main window on it.
#include "app/TMainForm.h"
#include "store/TMainData.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class TestDataDir final {
public:
    // Lays the installation files; treeLines (UTF-8 text, one node per line, without line ends)
    // replaces the default MTS.qs when given.
    explicit TestDataDir(const QStringList& treeLines = {});
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const;
    bool isValid() const { return m_valid; }
    // Writes MTS.qs from lines (GBK, CR LF).
    void writeTree(const QStringList& lines) const;
    // Runs SQL directly on Data.QSD (test set-up and checks); returns false on failure.
    bool exec(const QString& sql, const QVariantList& values = {}) const;
    // First column of every row of a select, as strings.
    QStringList column(const QString& sql, const QVariantList& values = {}) const;
    // Inserts a material directly and returns its id.
    qint64 addText(const QString& title, const QString& category, const QString& subcategory,
        const QString& body = QString(), const QString& writer = QString(),
        const QString& createtime = QStringLiteral("2020-01-01 10:00:00")) const;
    qint64 addExe(const QString& title, const QString& category, const QString& subcategory, const QString& path,
        const QString& about = QString(), const QString& writer = QString(),
        const QString& createtime = QStringLiteral("2020-01-01 10:00:00")) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// A main window on a test directory, started the way main() starts it (FormCreate, then the data
// module), without showing it.
class TestApp final {
public:
    explicit TestApp(const TestDataDir& dir, bool show = false);
    ~TestApp();
    TMainForm& form() { return *m_form; }
    TMainForm* operator->() { return m_form.get(); }

private:
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<TMainData> m_data;
    QString m_previousDir;
};

// The tree node with this path of texts ("文字资料", "算法", "排序"), or nullptr.
class QTreeWidgetItem;
QTreeWidgetItem* findNode(TMainForm& form, const QStringList& path);
// Selects the node and runs the tree's click handler, as a user click does.
void clickNode(TMainForm& form, const QStringList& path);
