// qs-bench: the benchmark figures for a data directory made by make-data.
//
//   qs-bench DATADIR [--runs R] [--only
//   startup,memory,list,layout,details,counts,search,firstwrite,insert,tree,exchange]
//
// Every figure runs the program's own code (main window, data module, record classes, search dialog)
// headless, R times after one warm-up, and prints the median. Beside it stands the time of the same
// statements sent straight through the sqlite3 library on the same file, one connection per operation
// as the program does, and the ratio of the two. The start-up and peak-memory figures run in child
// processes (qs-bench --startup-child / --session-child DATADIR), so they see a fresh process.
//
// The writing figures make safety copies of Data.QSD, as the program does; every copy file that was not
// there when the benchmark started is removed when it ends (and before the writing runs, so that they
// start from the same copies). Nothing else in the data directory is touched.
#include "app/HeapSettings.h"
#include "app/InstallFiles.h"
#include "app/SingleInstance.h"
#include "app/TMainForm.h"
#include "browse/ListCaptions.h"
#include "browse/ListItems.h"
#include "browse/MaterialList.h"
#include "common/Prompts.h"
#include "common/SettingsFile.h"
#include "edit/ExchangeJob.h"
#include "search/SearchQuery.h"
#include "search/TSerchForm.h"
#include "store/ContentIndex.h"
#include "store/Indexes.h"
#include "store/SafetyCopies.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/TreeFileKeeper.h"
#include "tree/TreeNodes.h"

#include "store/Sqlite.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProcess>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC: comparable across processes

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

qint64 nowNs() { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); }

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

long peakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Lets the disk write back what earlier figures left (a copy leaves a GB of it), so that no figure pays
// for another's writes.
void settle() { ::sync(); }

[[noreturn]] void die(const QString& text)
{
    QTextStream(stderr) << "qs-bench: " << text << "\n";
    std::fflush(stderr);
    std::exit(1);
}

// A prompt would block a headless run: anything the program wants to say ends the benchmark.
class FailingPrompts final : public Prompts {
public:
    void message(QWidget*, const QString& text) override { die(QStringLiteral("unexpected message: ") + text); }
    void box(QWidget*, const QString& text, const QString&, Icon) override
    {
        die(QStringLiteral("unexpected message box: ") + text);
    }
    bool ask(QWidget*, const QString& text, const QString&) override
    {
        die(QStringLiteral("unexpected question: ") + text);
    }
    bool input(QWidget*, const QString& caption, const QString&, QString&) override
    {
        die(QStringLiteral("unexpected input box: ") + caption);
    }
    void standardError(QWidget*, const QString& text) override { die(QStringLiteral("unexpected error: ") + text); }
    QString chooseFile(QWidget*, const QString&) override { die(QStringLiteral("unexpected file chooser")); }
    bool chooseFont(QWidget*, QFont&) override { die(QStringLiteral("unexpected font chooser")); }
    QString chooseFolder(QWidget*, const QString&) override { die(QStringLiteral("unexpected folder chooser")); }
    QStringList chooseFilesOrFolder(QWidget*, const QString&, const QString&) override
    {
        die(QStringLiteral("unexpected file chooser"));
    }
    void report(QWidget*, const QString& text, const QString&, const QString&, Icon) override
    {
        die(QStringLiteral("unexpected message box: ") + text);
    }
};

// bench.info: key=value lines written by make-data.
class Info final {
public:
    explicit Info(const QString& dir)
    {
        QFile f(QDir(dir).filePath(QStringLiteral("bench.info")));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            die(QStringLiteral("%1 holds no bench.info: make it with make-data").arg(dir));
        for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq > 0)
                m_values.insert(line.left(eq), line.mid(eq + 1));
        }
    }
    QString text(const QString& key) const
    {
        if (!m_values.contains(key))
            die(QStringLiteral("bench.info lacks %1").arg(key));
        return m_values.value(key);
    }
    qint64 number(const QString& key) const { return text(key).toLongLong(); }
    // For keys an older make-data did not write.
    QString textOr(const QString& key, const QString& fallback) const { return m_values.value(key, fallback); }

private:
    QMap<QString, QString> m_values;
};

// ---- the same statements straight through sqlite3, one connection per operation ------------------

class Raw final {
public:
    explicit Raw(const QString& path) : m_path(QFile::encodeName(path)) { }

    // Runs st and reads every column of every row; returns the number of rows.
    int select(const Statement& st) const
    {
        sqlite3* db = open();
        sqlite3_stmt* s = prepare(db, st);
        int rows = 0;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                sqlite3_column_text(s, c);
        }
        if (rc != SQLITE_DONE)
            die(QStringLiteral("sqlite3: ") + QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(s);
        sqlite3_close(db);
        return rows;
    }
    // The first column of the first row as text.
    QString text(const Statement& st) const
    {
        sqlite3* db = open();
        sqlite3_stmt* s = prepare(db, st);
        const QString v = sqlite3_step(s) == SQLITE_ROW
            ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)))
            : QString();
        sqlite3_finalize(s);
        sqlite3_close(db);
        return v;
    }
    // The first column of the first row as a number.
    qint64 value(const Statement& st) const
    {
        sqlite3* db = open();
        sqlite3_stmt* s = prepare(db, st);
        const qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        sqlite3_close(db);
        return v;
    }
    void exec(const Statement& st) const
    {
        sqlite3* db = open();
        sqlite3_stmt* s = prepare(db, st);
        if (sqlite3_step(s) != SQLITE_DONE)
            die(QStringLiteral("sqlite3: ") + QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(s);
        sqlite3_close(db);
    }

private:
    sqlite3* open() const
    {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            die(QStringLiteral("sqlite3: cannot open ") + QString::fromLocal8Bit(m_path));
        sqlite3_busy_timeout(db, 300);
        return db;
    }
    static sqlite3_stmt* prepare(sqlite3* db, const Statement& st)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, st.sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            die(QStringLiteral("sqlite3: ") + QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" in ") + st.sql);
        int i = 1;
        for (const QVariant& v : st.values) {
            if (v.typeId() == QMetaType::QString) {
                const QByteArray bytes = v.toString().toUtf8();
                sqlite3_bind_text(s, i, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(s, i, v.toLongLong());
            }
            ++i;
        }
        return s;
    }

    QByteArray m_path;
};

// ---- the safety copies -------------------------------------------------------------------------------

// The copy files beside Data.QSD (.bak1 to .bak3 and the one being built), known by device and inode: the
// program renames copies as they age, so a copy that was there before the benchmark is known wherever it
// moved, and only those the benchmark's own writes made are removed.
class CopyFiles final {
public:
    explicit CopyFiles(const QString& databasePath) : m_database(databasePath), m_before(present()) { }

    QStringList paths() const
    {
        QStringList out;
        for (int n = 1; n <= safetycopies::kKept; ++n)
            out << safetycopies::copyPath(m_database, n);
        out << safetycopies::pendingPath(m_database);
        return out;
    }
    qint64 totalBytes() const
    {
        qint64 total = 0;
        for (const QString& path : paths()) {
            struct stat st { };
            // What the files take on the disk, not their length.
            if (::stat(QFile::encodeName(path).constData(), &st) == 0)
                total += qint64(st.st_blocks) * 512;
        }
        return total;
    }
    int count() const { return int(present().size()); }
    // Removes every copy file that was not there at the start; returns how many went.
    int removeMade() const
    {
        int removed = 0;
        for (const QString& path : paths()) {
            const auto id = identity(path);
            if (id && !m_before.count(*id)) {
                if (!QFile::remove(path))
                    die(QStringLiteral("cannot remove the copy %1").arg(path));
                ++removed;
            }
        }
        return removed;
    }

private:
    using Id = std::pair<qint64, qint64>;
    static std::optional<Id> identity(const QString& path)
    {
        struct stat st { };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return std::nullopt;
        return Id {qint64(st.st_dev), qint64(st.st_ino)};
    }
    std::set<Id> present() const
    {
        std::set<Id> out;
        for (const QString& path : paths()) {
            if (const auto id = identity(path))
                out.insert(*id);
        }
        return out;
    }

    QString m_database;
    std::set<Id> m_before;
};

// The longest time between two turns of the GUI thread's event loop, seen by a timer ticking every 5 ms.
class StallWatch final : public QObject {
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const Clock::time_point now = Clock::now();
            m_longest = std::max(m_longest, msBetween(m_last, now));
            m_last = now;
            if (m_onTick)
                m_onTick();
        });
    }
    void start(std::function<void()> onTick)
    {
        m_onTick = std::move(onTick);
        m_last = Clock::now();
        m_longest = 0;
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
    std::function<void()> m_onTick;
};

// ---- the program, started the way main() starts it --------------------------------------------------

struct Program {
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMainData> data;
    QString dir;

    explicit Program(const QString& directory, bool show) : dir(directory)
    {
        QDir::setCurrent(dir);
        form = std::make_unique<TMainForm>(dir);
        form->FormCreate();
        if (form->terminateRequested())
            die(QStringLiteral("the program could not start on ") + dir);
        data = std::make_unique<TMainData>(dir);
        MainData = data.get();
        data->setStatusSink(&form->statusSink());
        if (show)
            form->showMaximized();
        QApplication::processEvents();
    }
    ~Program()
    {
        form->setClosing();
        form.reset();
        MainData = nullptr;
        data.reset();
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The data module of a new run: nothing read, nothing written, no safety copy yet. The old one folds
    // the WAL back into the file, as at the program's exit.
    void freshDataModule()
    {
        data.reset();
        data = std::make_unique<TMainData>(dir);
        MainData = data.get();
        data->setStatusSink(&form->statusSink());
    }

    QTreeWidgetItem* node(const QStringList& path) const
    {
        QTreeWidgetItem* found = nullptr;
        for (int i = 0; i < form->ui().MainTreeView->topLevelItemCount() && !found; ++i) {
            if (form->ui().MainTreeView->topLevelItem(i)->text(0) == path.first())
                found = form->ui().MainTreeView->topLevelItem(i);
        }
        for (int level = 1; found && level < path.size(); ++level) {
            QTreeWidgetItem* child = nullptr;
            for (int i = 0; i < found->childCount() && !child; ++i) {
                if (found->child(i)->text(0) == path.at(level))
                    child = found->child(i);
            }
            found = child;
        }
        if (!found)
            die(QStringLiteral("no tree node ") + path.join(QLatin1Char('/')));
        return found;
    }
    // What a mouse click on the node does: the node becoming current lists it (the tree view reports the new
    // current node); a click on the node already current lists it again through the click itself. Calling
    // both would list twice. A node is clicked where the user sees it: its parents are opened first (which
    // lists each of them, as opening them by hand does).
    void click(const QStringList& path)
    {
        QTreeWidget* tree = form->ui().MainTreeView;
        QTreeWidgetItem* item = node(path);
        for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent()) {
            if (!parent->isExpanded())
                parent->setExpanded(true);
        }
        const bool listsWhenCurrent = tree->isVisible() && tree->currentItem() != item;
        treenodes::select(tree, item);
        if (tree->currentItem() != item)
            die(QStringLiteral("the tree did not select ") + path.join(QLatin1Char('/')));
        if (!listsWhenCurrent)
            form->MainTreeViewClick();
    }
    // What the details pane shows in the value column of a row named name.
    QString detailValue(const QString& name) const
    {
        for (int row = 0; row < form->ui().MainDetail->rowCount(); ++row) {
            if (form->ui().MainDetail->item(row, 0) && form->ui().MainDetail->item(row, 0)->text() == name)
                return form->ui().MainDetail->item(row, 1)->text();
        }
        return QString();
    }
};

// Prepares the search dialog for a search over every category of the text materials.
void fillSearch(TSerchForm& dialog, const QString& keyword, const QString& author)
{
    dialog.FormCreate();
    dialog.FWComBox->setCurrentIndex(dialog.FWComBox->findText(QStringLiteral("文字资料")));
    dialog.FWComBoxChange();
    dialog.BigComBox->setCurrentIndex(dialog.BigComBox->findText(search::allCategories()));
    dialog.BigComBoxChange();
    dialog.SmallComBox->setCurrentIndex(dialog.SmallComBox->findText(search::allCategories()));
    dialog.TitleKey->setText(keyword);
    dialog.AuthorKey->setText(author);
    const QString problem = search::validate(dialog.input());
    if (!problem.isEmpty())
        die(QStringLiteral("search input refused: ") + problem);
}

// ---- measuring and printing ------------------------------------------------------------------------

// Every database-bound figure: at most this many times the same statements sent straight to sqlite3.
constexpr double kRatioTarget = 1.5;

struct Figure {
    QString name;
    double program = -1;  // ms, or MB for memory
    double raw = -1;  // ms; negative when there is no database baseline
    double target = -1;
    QString unit = QStringLiteral("ms");
    QString note;
    bool databaseBound = true;
};

// Median of runs timed calls of op, each after prepare (untimed), after one untimed warm-up.
double measure(int runs, const std::function<void()>& prepare, const std::function<void()>& op)
{
    std::vector<double> times;
    for (int r = 0; r <= runs; ++r) {
        if (prepare)
            prepare();
        const Clock::time_point t0 = Clock::now();
        op();
        const double ms = msBetween(t0, Clock::now());
        if (r > 0)
            times.push_back(ms);
    }
    return median(times);
}

// The program's op and the same statements through sqlite3 (rawOp), timed in turns (which goes first
// alternates), each after prepare: both see the same load of a shared machine. Medians, after one
// untimed warm-up of each.
std::pair<double, double> measurePaired(
    int runs, const std::function<void()>& prepare, const std::function<void()>& op, const std::function<void()>& rawOp)
{
    std::vector<double> programTimes;
    std::vector<double> rawTimes;
    for (int r = 0; r <= runs; ++r) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool program = (turn == 0) == (r % 2 == 0);
            if (prepare)
                prepare();
            const Clock::time_point t0 = Clock::now();
            (program ? op : rawOp)();
            const double ms = msBetween(t0, Clock::now());
            if (r > 0)
                (program ? programTimes : rawTimes).push_back(ms);
        }
    }
    return {median(programTimes), median(rawTimes)};
}

// Pads text to width terminal columns (CJK characters take two).
QString padded(const QString& text, int width)
{
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() >= 0x1100 ? 2 : 1;
    return text + QString(qMax(0, width - columns), QLatin1Char(' '));
}

void printHeader(const Info& info, const QString& dir)
{
    QTextStream out(stdout);
    const double mb = static_cast<double>(QFileInfo(QDir(dir).filePath(QStringLiteral("Data.QSD"))).size()) / 1048576.0;
    out << "data: " << dir << ", " << info.text(QStringLiteral("count")) << " text + "
        << info.text(QStringLiteral("examples")) << " example materials, Data.QSD " << QString::number(mb, 'f', 0)
        << " MB, indexes made by make-data: " << info.text(QStringLiteral("indexes")) << "\n";
    out << QStringLiteral("%1 %2 %3 %4 %5  %6\n")
               .arg(QStringLiteral("figure"), -52)
               .arg(QStringLiteral("program"), 11)
               .arg(QStringLiteral("sqlite3"), 10)
               .arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("target"), 10)
               .arg(QStringLiteral("verdict"));
    out.flush();
}

void print(const Figure& f)
{
    QTextStream out(stdout);
    const auto num = [](double v) {
        return QString::number(v, 'f', v < 10 ? 2 : 1);
    };
    const QString program = num(f.program) + QLatin1Char(' ') + f.unit;
    const QString raw = f.raw >= 0 ? num(f.raw) + QStringLiteral(" ms") : QStringLiteral("-");
    const double ratio = f.raw > 0 ? f.program / f.raw : -1;
    const QString ratioText = ratio >= 0 ? QString::number(ratio, 'f', 2) + QLatin1Char('x') : QStringLiteral("-");
    const QString target
        = f.target > 0 ? QStringLiteral("<= ") + num(f.target) + QLatin1Char(' ') + f.unit : QStringLiteral("-");
    QString verdict;
    if (f.target > 0 || (f.databaseBound && ratio >= 0)) {
        const bool targetOk = f.target <= 0 || f.program <= f.target;
        const bool ratioOk = !f.databaseBound || ratio < 0 || ratio <= kRatioTarget;
        verdict = targetOk && ratioOk ? QStringLiteral("ok")
                                      : QStringLiteral("MISSED") + (!targetOk ? QStringLiteral(" target") : QString())
                + (!ratioOk ? QStringLiteral(" ratio") : QString());
    }
    out << padded(f.name, 52)
        << QStringLiteral(" %1 %2 %3 %4  %5")
               .arg(program, 11)
               .arg(raw, 10)
               .arg(ratioText, 7)
               .arg(target, 10)
               .arg(verdict);
    if (!f.note.isEmpty())
        out << "  (" << f.note << ")";
    out << "\n";
    out.flush();
}

// ---- child processes ---------------------------------------------------------------------------------

// Notes when the watched window is painted for the first time.
class FirstPaint final : public QObject {
    Q_OBJECT
public:
    qint64 at = 0;

signals:
    void done();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !at) {
            at = nowNs();
            emit done();
        }
        return QObject::eventFilter(watched, event);
    }
};

// Start-up as main() runs it; prints the clock at the first turn of the event loop and at the first
// paint of the main window, and ends.
int startupChild(int argc, char** argv, const QString& dir)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstash"));
    QApplication::setQuitOnLastWindowClosed(false);
    SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.takeLock())
        die(QStringLiteral("another start-up child is still running"));
    QDir::setCurrent(dir);
    TMainForm form(dir);
    QObject::connect(&instance, &SingleInstance::showRequested, &form, &TMainForm::secondInstanceRequest);
    form.FormCreate();
    if (form.terminateRequested())
        return 1;
    auto data = std::make_unique<TMainData>(dir);
    MainData = data.get();
    data->setStatusSink(&form.statusSink());
    form.showMaximized();
    if (!instance.startListening())
        die(instance.errorString());
    // The first turn of the loop, then the first time the main window is painted.
    qint64 firstTurn = 0;
    FirstPaint painted;
    form.installEventFilter(&painted);
    QTimer::singleShot(0, &form, [&firstTurn] { firstTurn = nowNs(); });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &app, [] { QApplication::exit(0); });
    giveUp.start(5000);
    QObject::connect(&painted, &FirstPaint::done, &app, [] { QTimer::singleShot(0, [] { QApplication::exit(0); }); });
    const int rc = QApplication::exec();
    std::printf("%lld %lld\n", static_cast<long long>(firstTurn), static_cast<long long>(painted.at));
    std::fflush(stdout);
    form.setClosing();
    MainData = nullptr;
    return rc;
}

// A session of reading: start-up, the largest listing, a large material, the counts and both searches.
// Prints the peak resident memory in KB.
int sessionChild(int argc, char** argv, const QString& dir)
{
    QApplication app(argc, argv);
    FailingPrompts noPrompts;
    setPrompts(&noPrompts);
    const Info info(dir);
    {
        Program p(dir, true);
        const QString cat = info.text(QStringLiteral("big_category"));
        const QString sub = info.text(QStringLiteral("big_subcategory"));
        p.click({QStringLiteral("文字资料"), cat, sub});
        QApplication::processEvents();
        std::unique_ptr<QListWidgetItem> large(
            listitems::add(nullptr, QStringLiteral("large"), 4, info.number(QStringLiteral("large_body_id"))));
        p.form->MainDetailShow(large.get(), true);
        p.click({QStringLiteral("文字资料")});
        p.form->MainDetailShow(p.form->ui().MainList->item(0), true);
        TSerchForm dialog(p.form.get(), &p.form->categoryTree(), p.form->searchResultsSink());
        fillSearch(dialog, info.text(QStringLiteral("keyword")), QString());
        dialog.SerchBtnClick();
        fillSearch(dialog, QString(), info.text(QStringLiteral("author")));
        dialog.SerchBtnClick();
        p.click({QStringLiteral("搜索结果")});
        QApplication::processEvents();
        std::printf("%ld\n", peakRssKb());
        std::fflush(stdout);
    }
    setPrompts(nullptr);
    return 0;
}

QByteArray runChild(const QString& mode, const QString& dir, Clock::time_point* started)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (started)
        *started = Clock::now();
    child.start(QCoreApplication::applicationFilePath(), {mode, dir});
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        die(mode + QStringLiteral(" failed"));
    return child.readAllStandardOutput();
}

// ---- the figures ------------------------------------------------------------------------------------

int runFigures(int argc, char** argv, const QString& dir, int runs, const QStringList& only)
{
    const auto wanted = [&only](const char* group) {
        return only.isEmpty() || only.contains(QLatin1String(group));
    };
    QApplication app(argc, argv);
    FailingPrompts noPrompts;
    setPrompts(&noPrompts);
    const Info info(dir);
    const QString dbPath = QDir(dir).filePath(QStringLiteral("Data.QSD"));
    const Raw raw(dbPath);
    const CopyFiles copies(dbPath);
    // The tree-file figure saves MTS.qs, and the program keeps the file it replaces as MTS.qs.bak.
    const QString treeBackup = QDir(dir).filePath(QStringLiteral("MTS.qs.bak"));
    const bool treeBackupThere = QFileInfo::exists(treeBackup);
    const bool small = info.textOr(QStringLiteral("bodies"), QStringLiteral("normal")) == QLatin1String("small");
    printHeader(info, dir);

    // Materials the writing figures add; they are deleted again through sqlite3.
    const QString place = QStringLiteral("杂项");
    const QString placeSub = QStringLiteral("其他");
    QStringList body;
    for (int i = 0; i < 40; ++i)
        body << QStringLiteral("基准测试的正文 line %1: it+(DYH)+s a body of about two kilobytes ......").arg(i);
    const auto fill = [&](TFileText& t, int i) {
        t.title = QStringLiteral("基准测试 %1").arg(i);
        t.classname = placeSub;
        t.bigclassname = place;
        t.writer = QStringLiteral("bench");
        t.main = body;
    };
    const auto insertOne = [&](int i) {
        TFileText t;
        fill(t, i);
        t.InsertNew();
        if (ResultMessage != QStringLiteral("添加成功！你可以继续操作！"))
            die(QStringLiteral("insert: ") + ResultMessage);
    };
    const Statement lastId {QStringLiteral("select max(id) from textfile"), {}};
    const auto removeAfter = [&](qint64 id) {
        raw.exec({QStringLiteral("delete from textfile where id>?"), {id}});
    };

    // A database made before the indexes gets them at the first access of a run; that first access
    // is measured before anything else touches the file.
    {
        QStringList quoted;
        for (const QString& name : storeindexes::names())
            quoted << QLatin1Char('\'') + name + QLatin1Char('\'');
        const Statement present {
            QStringLiteral("select count(*) from sqlite_master where type='index' and name in (%1)")
                .arg(quoted.join(QLatin1Char(','))),
            {}};
        if (raw.value(present) < storeindexes::names().size()) {
            Program fresh(dir, false);
            const Clock::time_point t0 = Clock::now();
            fresh.click({QStringLiteral("文字资料"), info.text(QStringLiteral("big_category")),
                info.text(QStringLiteral("big_subcategory"))});
            const double ms = msBetween(t0, Clock::now());
            if (raw.value(present) != storeindexes::names().size())
                die(QStringLiteral("the program did not add the indexes"));
            print({QStringLiteral("first listing on a file without the indexes"), ms, -1, -1, QStringLiteral("ms"),
                QStringLiteral("safety copy, then the indexes are added; once per file"), false});
        }
    }
    // A rollback-journal file (an older installation, or a data directory of an older make-data) gets
    // its copy at once and goes over to WAL at the first write of a run; measured the same way.
    const Statement journalMode {QStringLiteral("PRAGMA journal_mode"), {}};
    if (raw.text(journalMode).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        Program fresh(dir, false);
        const qint64 before = raw.value(lastId);
        const Clock::time_point t0 = Clock::now();
        insertOne(0);
        const double ms = msBetween(t0, Clock::now());
        removeAfter(before);
        if (raw.text(journalMode).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            die(QStringLiteral("the first write left the file in journal mode ") + raw.text(journalMode));
        print({QStringLiteral("first write on a rollback-journal file"), ms, -1, -1, QStringLiteral("ms"),
            QStringLiteral("copy made at once, then WAL; once per file"), false});
    }
    settle();

    // Start-up, in fresh processes.
    if (wanted("startup")) {
        std::vector<double> turns;
        std::vector<double> paints;
        for (int r = 0; r <= runs; ++r) {
            Clock::time_point t0;
            const QList<QByteArray> out = runChild(QStringLiteral("--startup-child"), dir, &t0).trimmed().split(' ');
            const qint64 start = std::chrono::duration_cast<std::chrono::nanoseconds>(t0.time_since_epoch()).count();
            if (out.size() != 2 || out.at(0).toLongLong() <= 0 || out.at(1).toLongLong() <= 0)
                die(QStringLiteral("the start-up child reported nothing"));
            if (r > 0) {
                turns.push_back((out.at(0).toLongLong() - start) / 1e6);
                paints.push_back((out.at(1).toLongLong() - start) / 1e6);
            }
        }
        print({QStringLiteral("start-up to the first event-loop turn, window shown"), median(turns), -1, 300,
            QStringLiteral("ms"), QStringLiteral("fresh process each run"), false});
        print({QStringLiteral("  start-up to the first paint of the main window"), median(paints), -1, -1,
            QStringLiteral("ms"), QString(), false});
    }

    // A keyword search reads the contents index, which the program builds in the background at the first
    // search: made here beforehand, so that no build runs beside the figures (it stays, as the program's would).
    if (wanted("memory") || wanted("search")) {
        const QString database = QDir(dir).absoluteFilePath(QStringLiteral("Data.QSD"));
        sqlite::Connection c;
        if (!c.open(database).ok()
            || contentindex::attach(c, contentindex::pathFor(database), nullptr) != contentindex::State::Ready) {
            c.close();
            const Clock::time_point t0 = Clock::now();
            QString error;
            if (!contentindex::build(database, contentindex::pathFor(database), {}, &error))
                die(QStringLiteral("contents index: ") + error);
            print({QStringLiteral("contents index built (once per data directory)"), msBetween(t0, Clock::now()) / 1000,
                -1, -1, QStringLiteral("s"), QString(), false});
        }
    }

    // Peak memory of a reading session, in a fresh process.
    if (wanted("memory")) {
        const long kb = runChild(QStringLiteral("--session-child"), dir, nullptr).trimmed().toLong();
        print({QStringLiteral("peak resident memory of a reading session"), kb / 1024.0, -1, 120, QStringLiteral("MB"),
            QStringLiteral("start-up, largest listing, 200 KB details, counts, both searches"), false});
    }

    Program p(dir, true);
    const QString cat = info.text(QStringLiteral("big_category"));
    const QString sub = info.text(QStringLiteral("big_subcategory"));
    const QString text = QStringLiteral("文字资料");
    const qint64 bigCount = info.number(QStringLiteral("big_count"));

    // The largest subcategory into the list (from another place, as a click on it does).
    if (wanted("list")) {
        const QStringList from {text, QStringLiteral("数据结构"), QStringLiteral("入门")};
        const double ms = measure(
            runs,
            [&] {
                p.click(from);
                QApplication::processEvents();
            },
            [&] {
                p.click({text, cat, sub});
            });
        if (p.form->ui().MainList->count() != bigCount)
            die(QStringLiteral("the listing shows %1 items, not %2").arg(p.form->ui().MainList->count()).arg(bigCount));
        const Statement st = sql::listMaterials(QStringLiteral("textfile"), cat, sub, ListOrder);
        // The database part alone: the listing's read (statement, rows, titles unescaped) without the
        // status and progress bar reports, which are GUI work.
        // The window keeps the entries until the next listing, which frees them before it reads: the previous
        // entries are freed before each read, untimed (freeing them is not the read's work).
        MainData->setStatusSink(nullptr);
        QList<ListEntry> kept;
        const auto [store, r] = measurePaired(
            runs, [&] { kept = {}; },
            [&] {
                kept = TMaterialList::AddRealFileToList(cat, sub, ListOrder, text);
                if (kept.size() != bigCount)
                    die(QStringLiteral("the listing read %1 rows").arg(kept.size()));
            },
            [&] { raw.select(st); });
        kept = {};
        MainData->setStatusSink(&p.form->statusSink());
        print({QStringLiteral("MainListShow of %1 materials (items in the list)").arg(bigCount), ms, r,
            small ? 10.0 : 5.0, QStringLiteral("ms"),
            QStringLiteral("order %1; list items are GUI work").arg(ListOrder), false});
        print({QStringLiteral("  of which the listing read (AddRealFileToList)"), store, r, -1, QStringLiteral("ms"),
            QString()});

        const double painted = measure(
            runs,
            [&] {
                p.click(from);
                QApplication::processEvents();
            },
            [&] {
                p.click({text, cat, sub});
                QApplication::processEvents();
                p.form->ui().MainList->repaint();
            });
        print({QStringLiteral("  the same, until laid out and painted"), painted, r, -1, QStringLiteral("ms"),
            QString(), false});
    }

    // Laying out the list in each style: captions are sized one by one, so the cost grows with the items.
    // Titles alike but for a number, as a bulk import gives; none is short.
    if (wanted("layout")) {
        QListWidget* list = p.form->ui().MainList;
        const int styleBefore = p.form->listViewStyle();
        const auto titles = [](int count, bool manyCharacters) {
            QList<ListEntry> entries;
            for (int i = 0; i < count; ++i) {
                QString title
                    = QStringLiteral("批量资料 %1 线程池与 std::condition_variable 的等待通知在多线程程序中的用法")
                          .arg(i, 5, 10, QLatin1Char('0'));
                if (manyCharacters) {
                    // Twelve ideographs out of three thousand: a new character for nearly every title.
                    for (int k = 0; k < 12; ++k)
                        title.insert(9 + k, QChar(0x4E00 + (i * 12 + k) * 7 % 3000));
                }
                entries.append(ListEntry {title, 4, i + 1});
            }
            return entries;
        };
        const QStringList styleNames {
            QStringLiteral("large icons"), QStringLiteral("small icons"), QStringLiteral("list")};
        for (const int count : {5000, 20000}) {
            const QList<ListEntry> entries = titles(count, false);
            for (int style = 0; style < 3; ++style) {
                p.form->setListViewStyle(style);
                const double ms = measure(
                    runs,
                    [&] {
                        list->clear();
                        QApplication::processEvents();
                    },
                    [&] {
                        listitems::fill(list, entries, style == 0);
                        list->doItemsLayout();
                    });
                if (list->count() != count || list->visualItemRect(list->item(count - 1)).isEmpty())
                    die(QStringLiteral("the layout of %1 items in style %2 failed").arg(count).arg(style));
                print({QStringLiteral("list layout: %1 long titles, %2").arg(count).arg(styleNames.at(style)), ms, -1,
                    count == 5000 ? 15.0 : -1.0, QStringLiteral("ms"), QStringLiteral("items filled, then laid out"),
                    false});
            }
        }
        // The first layout in a font measures each character once; titles with many different characters.
        const QList<ListEntry> varied = titles(5000, true);
        p.form->setListViewStyle(2);
        const double cold = measure(
            runs,
            [&] {
                list->clear();
                QAbstractItemDelegate* old = list->itemDelegate();
                list->setItemDelegate(new listcaptions::CaptionDelegate(list));
                delete old;
                QApplication::processEvents();
            },
            [&] {
                listitems::fill(list, varied, false);
                list->doItemsLayout();
            });
        print({QStringLiteral("  the same in the list style, first in the font"), cold, -1, -1, QStringLiteral("ms"),
            QStringLiteral("5,000 titles, 3,000 distinct characters measured"), false});
        list->clear();
        p.form->setListViewStyle(styleBefore);
    }

    // Details of the 200 KB material.
    if (wanted("details")) {
        const qint64 id = info.number(QStringLiteral("large_body_id"));
        std::unique_ptr<QListWidgetItem> item(listitems::add(nullptr, QStringLiteral("large"), 4, id));
        const double ms = measure(
            runs, [] { QApplication::processEvents(); }, [&] { p.form->MainDetailShow(item.get(), true); });
        if (ResultMessage != QStringLiteral("操作成功！"))
            die(QStringLiteral("loading the large material: ") + ResultMessage);
        const auto [load, r] = measurePaired(
            runs, nullptr,
            [&] {
                TFileText file;
                file.LoadById(id);
            },
            [&] { raw.select(sql::selectMaterialById(QStringLiteral("textfile"), id)); });
        print({QStringLiteral("MainDetailShow of a text material with a %1 KB body")
                   .arg(info.number(QStringLiteral("large_body_bytes")) / 1024),
            ms, r, 1, QStringLiteral("ms"), QStringLiteral("rows and labels are GUI work"), false});
        print({QStringLiteral("  of which TFileText::LoadById"), load, r, -1, QStringLiteral("ms"), QString()});
    }

    // The counts of the details pane: a kind root, a category, a subcategory.
    if (wanted("counts")) {
        struct CountCase {
            QString name;
            QStringList selected;  // the tree place whose list holds the item
            QString caption;
            int image;
            Statement statement;
        };
        const QList<CountCase> cases {
            {QStringLiteral("details count: kind root (all text materials)"), {text}, text, 3,
                sql::countAll(QStringLiteral("textfile"))},
            {QStringLiteral("details count: category %1").arg(cat), {text}, cat, 0,
                sql::countCategory(QStringLiteral("textfile"), cat)},
            {QStringLiteral("details count: subcategory %1/%2").arg(cat, sub), {text, cat}, sub, 1,
                sql::countSubcategory(QStringLiteral("textfile"), sub, cat)},
        };
        // A commit by another connection, as any write does: the data module counts afresh after it.
        const Statement touch {
            QStringLiteral("update textfile set title=title where id=(select min(id) from textfile)"), {}};
        for (const CountCase& c : cases) {
            treenodes::select(p.form->ui().MainTreeView, p.node(c.selected));
            std::unique_ptr<QListWidgetItem> item(listitems::add(nullptr, c.caption, c.image));
            const Statement counted = sql::countRows(c.statement);
            const auto [ms, r] = measurePaired(
                runs,
                [&] {
                    QApplication::processEvents();
                    raw.exec(touch);
                },
                [&] { p.form->MainDetailShow(item.get(), true); }, [&] { raw.value(counted); });
            const qint64 expected = raw.value(counted);
            const QString shown = p.detailValue(QStringLiteral("拥有资料数："));
            if (shown != QStringLiteral("共%1个").arg(expected))
                die(QStringLiteral("%1 shows %2, expected %3").arg(c.name, shown).arg(expected));
            print({c.name, ms, r, 5, QStringLiteral("ms"),
                QStringLiteral("%1 materials; counted after a commit").arg(expected)});
            // The data module's part alone: what the rows and labels of the pane add is GUI work.
            const auto [store, storeRaw] = measurePaired(
                runs,
                [&] {
                    QApplication::processEvents();
                    raw.exec(touch);
                },
                [&] {
                    int n = -1;
                    if (!TFile::OpenAndCount(c.statement, n) || n != expected)
                        die(QStringLiteral("%1: the data module counted %2").arg(c.name).arg(n));
                },
                [&] { raw.value(counted); });
            print({QStringLiteral("  of which TFile::OpenAndCount"), store, storeRaw, -1, QStringLiteral("ms"),
                QString()});
            const double kept = measure(
                runs, [] { QApplication::processEvents(); }, [&] { p.form->MainDetailShow(item.get(), true); });
            print({QStringLiteral("  again, nothing committed since"), kept, r, 5, QStringLiteral("ms"),
                QStringLiteral("the count kept"), false});
        }
    }

    // Searches over all text materials, through the search dialog.
    if (wanted("search")) {
        struct SearchCase {
            QString name;
            QString keyword;
            QString author;
            qint64 hits;
            double target;
        };
        const QList<SearchCase> cases {
            {QStringLiteral("search by title keyword, all text materials"), info.text(QStringLiteral("keyword")),
                QString(), info.number(QStringLiteral("keyword_hits")), 40},
            {QStringLiteral("search by author, all text materials"), QString(), info.text(QStringLiteral("author")),
                info.number(QStringLiteral("author_hits")), 10},
        };
        for (const SearchCase& c : cases) {
            TSerchForm dialog(p.form.get(), &p.form->categoryTree(), p.form->searchResultsSink());
            fillSearch(dialog, c.keyword, c.author);
            const double ms = measure(runs, nullptr, [&] { dialog.SerchBtnClick(); });
            if (p.form->ui().StoreItemView->count() != c.hits)
                die(QStringLiteral("%1 found %2, expected %3")
                        .arg(c.name)
                        .arg(p.form->ui().StoreItemView->count())
                        .arg(c.hits));
            const Statement st = search::buildStatement(dialog.input());
            // The window keeps its results until the next search: the previous hits are freed before each run,
            // untimed.
            QList<search::SearchHit> kept;
            const auto [store, r] = measurePaired(
                runs, [&] { kept = {}; },
                [&] {
                    QString error;
                    if (!search::run(*MainData, st, kept, &error))
                        die(error);
                },
                [&] { raw.select(st); });
            kept = {};
            print({c.name, ms, r, c.target, QStringLiteral("ms"),
                QStringLiteral("%1 found; result items are GUI work").arg(c.hits), false});
            // A keyword is looked up through the contents index (qs-contents-bench times those statements); the
            // select timed here is the one that serves while the index is not ready.
            print({c.keyword.isEmpty() ? QStringLiteral("  of which the search statement (search::run)")
                                       : QStringLiteral("  the title select without the index (search::run)"),
                store, r, -1, QStringLiteral("ms"), QString()});
        }
    }

    // The first write of a run, three times over: each run a fresh data module (nothing read before, as
    // when a drop is filed right after start), one insert, then a few more writes while the safety copy is
    // made beside them. A timer on the GUI thread ticks every 5 ms throughout; the longest gap between its
    // ticks is the longest the window stood still. After the three runs: the disk the copies take.
    bool copyMade = false;
    if (wanted("firstwrite")) {
        copies.removeMade();
        const qint64 dbBytes = QFileInfo(dbPath).size();
        constexpr int kRuns = 3;
        constexpr int kLaterWrites = 5;
        std::vector<double> firsts;
        std::vector<double> copyTimes;
        double longestStall = 0;
        double longestLater = 0;
        for (int run = 0; run < kRuns; ++run) {
            settle();
            p.freshDataModule();
            const qint64 before = raw.value(lastId);
            StallWatch watch;
            QEventLoop loop;
            Clock::time_point started;
            double first = -1;
            double copyMs = -1;
            int later = 0;
            Clock::time_point lastWrite;
            const Clock::time_point deadline = Clock::now() + std::chrono::minutes(5);
            watch.start([&] {
                const Clock::time_point now = Clock::now();
                if (now > deadline)
                    die(QStringLiteral("the safety copy took more than five minutes"));
                if (first < 0) {
                    if (now - started < std::chrono::milliseconds(50))
                        return;  // the timer ticks a while before the write
                    const Clock::time_point t0 = Clock::now();
                    insertOne(run * 100);
                    first = msBetween(t0, Clock::now());
                    lastWrite = Clock::now();
                    return;
                }
                if (copyMs < 0 && MainData->safetyCopyState() != TSafetyCopier::State::Running)
                    copyMs = msBetween(started, now) - 50;
                if (later < kLaterWrites && now - lastWrite >= std::chrono::milliseconds(100)) {
                    const Clock::time_point t0 = Clock::now();
                    insertOne(run * 100 + 1 + later);
                    longestLater = std::max(longestLater, msBetween(t0, Clock::now()));
                    lastWrite = Clock::now();
                    ++later;
                }
                // Some more turns after the copy's end, which reaches the window through the event loop.
                if (copyMs >= 0 && later == kLaterWrites && now - lastWrite >= std::chrono::milliseconds(100))
                    loop.quit();
            });
            started = Clock::now();
            loop.exec();
            watch.stop();
            if (MainData->safetyCopyState() != TSafetyCopier::State::Made)
                die(QStringLiteral("the safety copy of run %1 was not made: %2")
                        .arg(run + 1)
                        .arg(MainData->takeSafetyCopyNotice()));
            removeAfter(before);
            firsts.push_back(first);
            copyTimes.push_back(copyMs);
            longestStall = std::max(longestStall, watch.longestMs());
        }
        copyMade = true;
        settle();
        const Statement one = sql::insertText(QStringLiteral("基准测试"), placeSub, place, QStringLiteral("bench"),
            creationTimeText(QDateTime::currentDateTime()), TFileText().mainText());
        const qint64 before = raw.value(lastId);
        const double rawOne = measure(
            runs, [&] { removeAfter(before); }, [&] { raw.exec(one); });
        removeAfter(before);
        print({QStringLiteral("first write of a run (fresh data module, one insert)"), median(firsts), rawOne, 50,
            QStringLiteral("ms"), QStringLiteral("median of %1 runs; the copy starts, the write goes on").arg(kRuns),
            false});
        print({QStringLiteral("longest event-loop stall, first write to copy made"), longestStall, -1, 100,
            QStringLiteral("ms"),
            QStringLiteral("5 ms timer; the first and %1 more writes; worst of %2 runs").arg(kLaterWrites).arg(kRuns),
            false});
        print({QStringLiteral("  longest of the writes while the copy is made"), longestLater, rawOne, -1,
            QStringLiteral("ms"), QString(), false});
        print({QStringLiteral("  safety copy made (backup, check, in place)"), median(copyTimes) / 1000.0, -1, -1,
            QStringLiteral("s"), QStringLiteral("on its own thread"), false});
        const double ratio = double(copies.totalBytes()) / double(dbBytes);
        print(
            {QStringLiteral("disk the copies take after %1 writing runs").arg(kRuns), ratio, -1, 2, QStringLiteral("x"),
                QStringLiteral("%1 copies, %2 MB beside a %3 MB Data.QSD")
                    .arg(copies.count())
                    .arg(copies.totalBytes() >> 20)
                    .arg(dbBytes >> 20),
                false});
    }

    // 1,000 inserts through TFileText::InsertNew, after the run's copy was made (a run's later writes).
    if (wanted("insert")) {
        const qint64 before = raw.value(lastId);
        if (!copyMade && MainData->safetyCopyState() == TSafetyCopier::State::Idle) {
            insertOne(0);
            while (!MainData->waitForSafetyCopy(20))
                QApplication::processEvents();
            QApplication::processEvents();
        }
        settle();
        std::vector<Statement> inserts;
        for (int i = 0; i < 1000; ++i) {
            TFileText t;
            fill(t, i);
            inserts.push_back(
                sql::insertText(t.title, t.classname, t.bigclassname, t.writer, t.createtime, t.mainText()));
        }
        // Program and sqlite3 runs alternate: the disk's flush times drift with whatever else runs.
        const int insertRuns = std::max(1, std::min(runs, 3));
        std::vector<double> programTimes;
        std::vector<double> rawTimes;
        for (int r = 0; r < insertRuns; ++r) {
            removeAfter(before);
            Clock::time_point t0 = Clock::now();
            for (int i = 0; i < 1000; ++i)
                insertOne(i);
            programTimes.push_back(msBetween(t0, Clock::now()));
            removeAfter(before);
            t0 = Clock::now();
            for (const Statement& st : inserts)
                raw.exec(st);
            rawTimes.push_back(msBetween(t0, Clock::now()));
        }
        const double ms = median(programTimes);
        const double r = median(rawTimes);
        removeAfter(before);
        print({QStringLiteral("1,000 inserts one by one through TFileText::InsertNew"), ms, r, 2000,
            QStringLiteral("ms"), QStringLiteral("median of %1").arg(insertRuns)});
    }

    // The tree file (not database-bound): save as FormClose does, load as FormCreate does.
    if (wanted("tree")) {
        const double save = measure(runs, nullptr, [&] {
            if (!p.form->saveCategoryTree())
                die(QStringLiteral("saving the tree file failed"));
        });
        print({QStringLiteral("saving the tree file (%1 nodes)")
                   .arg(treenodes::allNodes(p.form->ui().MainTreeView).size()),
            save, -1, -1, QStringLiteral("ms"), QString(), false});
        const double load = measure(
            runs, [] {},
            [&] {
                if (!p.form->loadCategoryTree())
                    die(QStringLiteral("loading the tree file failed"));
            });
        print({QStringLiteral("loading the tree file into the tree"), load, -1, -1, QStringLiteral("ms"), QString(),
            false});
    }

    // Export and import as the window runs them (the work on a worker thread, the batches filed on this
    // one): the whole knowledge base out as files beside the data directory, then that export into an
    // empty installation beside it. Only on request: each run writes the knowledge base twice.
    if (only.contains(QLatin1String("exchange"))) {
        // Every run writes into folders of its own, removed only at the end: ext4 makes new files slowly
        // for some minutes after many were deleted (it skips the inodes just freed), which would be
        // measured instead of the export.
        const QString base = dir + QStringLiteral("-exchange");
        if (QFileInfo::exists(base) && !QDir(base).removeRecursively())
            die(QStringLiteral("cannot remove ") + base);
        const qint64 materials = raw.value(
            {QStringLiteral("select (select count(*) from textfile) + (select count(*) from exefile)"), {}});
        const auto wait = [](TExchangeJob& job) {
            job.start();
            while (!job.isFinished())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        };
        const int exchangeRuns = std::max(1, std::min(runs, 3));
        int exportRun = 0;
        QString lastExport;
        const double exportMs = measure(
            exchangeRuns, [&] { lastExport = QStringLiteral("%1/export-%2").arg(base).arg(++exportRun); },
            [&] {
                TExportJob job(
                    ExportSource {dbPath, loadTreeFile(QDir(dir).filePath(QStringLiteral("MTS.qs")))}, lastExport);
                wait(job);
                if (job.outcome().state != ExportOutcome::State::Done || job.outcome().materials != materials)
                    die(QStringLiteral("export: ") + job.outcome().error);
            });
        TMainData* const programData = MainData;
        int importRun = 0;
        QString fresh;
        const double importMs = measure(
            exchangeRuns,
            [&] {
                fresh = QStringLiteral("%1/import-%2").arg(base).arg(++importRun);
                QString error;
                if (!QDir().mkpath(fresh) || !install::layInstallationFiles(fresh, &error))
                    die(QStringLiteral("cannot lay an empty installation in ") + fresh + QStringLiteral(": ") + error);
            },
            [&] {
                TMainData data(fresh);
                data.useAbsolutePath();
                TCategoryTree tree;
                TTreeFileKeeper treeFile(QDir(fresh).filePath(QStringLiteral("MTS.qs")), tree);
                if (!treeFile.load())
                    die(QStringLiteral("cannot load the tree of ") + fresh);
                TImportApplier applier(data, tree, treeFile);
                TImportJob job(ImportRequest {{classifySource(lastExport)}, std::nullopt}, applier);
                wait(job);
                if (job.report().imported != materials || !job.report().error.isEmpty())
                    die(QStringLiteral("import: %1 of %2 %3")
                            .arg(job.report().imported)
                            .arg(materials)
                            .arg(job.report().error));
                data.waitForSafetyCopy(60000);
            });
        MainData = programData;
        const QString count = QLocale::c().toString(materials);
        // The targets: 10 s (export) and 20 s (import) for 10,000 materials.
        print({QStringLiteral("export of all %1 materials to files").arg(count), exportMs, -1, double(materials),
            QStringLiteral("ms"), QStringLiteral("median of %1").arg(exchangeRuns), false});
        print({QStringLiteral("import of that export into an empty installation"), importMs, -1,
            2.0 * double(materials), QStringLiteral("ms"), QStringLiteral("median of %1").arg(exchangeRuns), false});
        QDir(base).removeRecursively();
    }

    QTextStream(stdout) << "peak resident memory of this benchmark process: " << peakRssKb() / 1024 << " MB\n";
    // The data module goes first: it gives up a copy still being made and folds the WAL back.
    p.data.reset();
    MainData = nullptr;
    const int removed = copies.removeMade();
    QTextStream(stdout) << "safety copies made by this benchmark, removed: " << removed << "\n";
    if (!treeBackupThere && QFileInfo::exists(treeBackup) && !QFile::remove(treeBackup))
        die(QStringLiteral("cannot remove ") + treeBackup);
    setPrompts(nullptr);
    return 0;
}

}  // namespace

// The offscreen platform reports what it cannot do (tray, raise); only real failures matter here.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << text << "\n";
}

int main(int argc, char** argv)
{
    heapsettings::keepFreedMemoryAtHand();  // as the program's main() does; its children start here too
    qInstallMessageHandler(quietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 2 && args.at(0) == QLatin1String("--startup-child"))
        return startupChild(argc, argv, args.at(1));
    if (args.size() == 2 && args.at(0) == QLatin1String("--session-child"))
        return sessionChild(argc, argv, args.at(1));
    int runs = 7;
    const int runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0) {
        runs = args.value(runsAt + 1).toInt();
        args.remove(runsAt, 2);
    }
    QStringList only;
    const int onlyAt = args.indexOf(QStringLiteral("--only"));
    if (onlyAt >= 0) {
        only = args.value(onlyAt + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        args.remove(onlyAt, 2);
    }
    if (args.size() != 1 || runs < 1) {
        std::fprintf(stderr,
            "usage: qs-bench DATADIR [--runs R] [--only "
            "startup,memory,list,layout,details,counts,search,firstwrite,insert,tree,exchange]\n");
        return 2;
    }
    return runFigures(argc, argv, QFileInfo(args.at(0)).absoluteFilePath(), runs, only);
}

#include "qs_bench.moc"
