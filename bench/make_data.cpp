// make-data: writes a complete, large data directory for the benchmarks.
//
//   make-data [--without-indexes] [--small-bodies] DIR [N [SEED]]
//
// DIR gets MTS.qs (two kinds x 50 categories x 20 subcategories), QS.ini, QSHELP.html and a Data.QSD
// holding N text materials and N/4 example materials: titles of Chinese and ASCII words, authors,
// creation times over ten years, bodies from 100 bytes to 200 KB, some apostrophes and colons. One
// subcategory (文字资料/算法/排序) holds 5,000 text materials (N/2 when N is below 10,000). The output
// depends on N, SEED and the options only. bench.info in DIR names what the benchmark measures (the
// largest subcategory, the id of a 200 KB material, a title keyword and an author with their hit counts).
// The database is in WAL journal mode, as a new installation's is.
// --without-indexes makes the database an older installation has: no indexes, rollback journal.
// --small-bodies gives every body about 1 KB (one text material keeps its 200 KB) and N defaults to
// 1,000,000: many rows in a file of the size the default set has, so that scale can be measured.
#include "app/InstallFiles.h"
#include "store/Escaping.h"
#include "store/Indexes.h"
#include "store/TFile.h"
#include "tree/CategoryTreeFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere, so a seed always gives the same directory.
class Rng final {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) { }
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(double p) { return unit() < p; }
    // Log-uniform between lo and hi.
    double logUniform(double lo, double hi) { return lo * std::exp(unit() * std::log(hi / lo)); }

private:
    std::uint64_t m_state;
};

// Picks index i with weight 1 / (i + offset): a few words are common, most are rare.
class Zipf final {
public:
    Zipf(std::size_t n, double offset)
    {
        double sum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += 1.0 / (static_cast<double>(i) + offset);
            m_cumulative.push_back(sum);
        }
    }
    std::size_t pick(Rng& rng) const
    {
        const double x = rng.unit() * m_cumulative.back();
        return static_cast<std::size_t>(
            std::upper_bound(m_cumulative.begin(), m_cumulative.end(), x) - m_cumulative.begin());
    }

private:
    std::vector<double> m_cumulative;
};

const char* const kCategories[] = {
    "算法",
    "数据结构",
    "C++",
    "Qt 界面",
    "数据库",
    "网络编程",
    "Linux",
    "Windows API",
    "Python",
    "脚本",
    "编译构建",
    "调试",
    "单元测试",
    "设计模式",
    "多线程",
    "内存管理",
    "文件系统",
    "图形图像",
    "游戏开发",
    "嵌入式",
    "安全",
    "加密",
    "压缩",
    "正则表达式",
    "字符编码",
    "Web",
    "JavaScript",
    "HTTP",
    "版本控制",
    "工具",
    "编辑器",
    "Shell",
    "SQL",
    "性能",
    "架构",
    "面试",
    "读书笔记",
    "数学",
    "操作系统",
    "汇编",
    "驱动",
    "COM",
    "ADO",
    "Delphi",
    "VCL",
    "MFC",
    "STL",
    "Boost",
    "杂项",
    "收藏",
};
const char* const kSubcategories[] = {
    "排序",
    "入门",
    "进阶",
    "示例代码",
    "常见问题",
    "技巧",
    "源码分析",
    "API 参考",
    "项目经验",
    "错误处理",
    "性能优化",
    "工具使用",
    "配置",
    "文章",
    "翻译",
    "FAQ",
    "笔记",
    "草稿",
    "面试题",
    "其他",
};
constexpr std::size_t kCategoryCount = sizeof(kCategories) / sizeof(kCategories[0]);
constexpr std::size_t kSubcategoryCount = sizeof(kSubcategories) / sizeof(kSubcategories[0]);
static_assert(kCategoryCount == 50 && kSubcategoryCount == 20, "2 kinds x 50 categories x 20 subcategories");

// Title words, most common first (see Zipf). The title keyword of the benchmark is a common one: about
// 3 % of the titles hold it.
const char* const kWords[] = {
    "详解",
    "C++",
    "笔记",
    "Qt",
    "问题",
    "实例",
    "总结",
    "方法",
    "Linux",
    "技巧",
    "入门",
    "SQLite",
    "字符串",
    "指针",
    "模板",
    "std::vector",
    "内存泄漏",
    "Windows",
    "链表",
    "二叉树",
    "快速排序",
    "哈希表",
    "引用",
    "Dijkstra's",
    "正则表达式",
    "编码",
    "文件读写",
    "套接字",
    "数据库",
    "线程池",
    "索引",
    "事务",
    "控件",
    "信号槽",
    "事件循环",
    "对话框",
    "HTTP",
    "JSON",
    "XML",
    "TCP",
    "UDP",
    "Git",
    "CMake",
    "Python",
    "Bash",
    "GCC",
    "Clang",
    "Valgrind",
    "std::map",
    "QString",
    "QListWidget",
    "malloc",
    "printf",
    "mmap",
    "epoll",
    "fork",
    "regex",
    "UTF-8",
    "GBK",
    "Unicode",
    "API",
    "DLL",
    "ADO",
    "SQL",
    "Makefile",
    "vim",
    "lambda",
    "互斥锁",
    "条件变量",
    "死锁",
    "协程",
    "网络编程",
    "存储过程",
    "触发器",
    "视图",
    "界面",
    "菜单",
    "工具栏",
    "注册表",
    "进程",
    "线程",
    "异常处理",
    "单元测试",
    "性能优化",
    "调试技巧",
    "编译错误",
    "链接错误",
    "静态库",
    "动态库",
    "配置文件",
    "日志",
    "序列化",
    "反射",
    "设计模式",
    "单例",
    "工厂",
    "观察者",
    "迭代器",
    "智能指针",
    "移动语义",
    "右值引用",
    "虚函数",
    "多态",
    "继承",
    "接口",
    "闭包",
    "匿名函数",
    "递归",
    "动态规划",
    "贪心算法",
    "图论",
    "最短路径",
    "二分查找",
    "位运算",
    "加密",
    "压缩",
    "解析",
    "命令行",
    "环境变量",
    "分支合并",
    "归并排序",
    "红黑树",
    "Knuth's",
    "it's",
    "Don't",
    "Boost",
    "STL",
    "Docker",
};
constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
const char* const kKeyword = "线程池";

const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴", "徐", "孙", "马", "朱",
    "胡", "郭", "何", "高", "林", "罗"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇", "艳", "杰", "涛", "明",
    "超", "秀英", "华", "平", "刚", "桂英"};
const char* const kHandles[] = {"alice", "bob_dev", "O'Brien", "d'Arcy", "mike.chen", "linus", "kr", "dmr", "bjarne",
    "herb", "scott", "andrei", "qtdev", "sqlite-fan", "coder42", "nobody", "J. Doe", "Tom O'Neil", "admin", "guest"};
constexpr std::size_t kAuthorRank = 30;  // the author the benchmark searches for

// Words of body lines: prose and code, with apostrophes and colons.
const char* const kProse[] = {"这个", "函数", "返回", "一个", "指向", "对象", "的", "指针", "，", "。", "如果", "参数",
    "为空", "则", "调用", "失败", "注意：", "例如", "我们", "可以", "使用", "来", "实现", "线程", "安全", "的", "队列",
    "性能", "比较", "好", "但是", "内存", "占用", "较大", "it's", "don't", "O(n log n)", "time:", "see also:", "TODO:"};
constexpr std::size_t kProseCount = sizeof(kProse) / sizeof(kProse[0]);
const char* const kCode[] = {
    "    for (int i = 0; i < n; ++i) {",
    "        v.push_back(std::make_pair(i, 'x'));",
    "    }",
    "    std::sort(v.begin(), v.end());",
    "    if (p == nullptr) return -1;",
    "    QString s = QStringLiteral(\"it's\");",
    "    std::map<std::string, int>::iterator it = m.find(key);",
    "    printf(\"%d: %s\\n\", i, name);",
    "    case 'a': ++count; break;",
    "http://example.com/path?a=1&b=2",
    "select id, title from textfile where title like '%key%';",
    "int main(int argc, char* argv[])",
    "{",
    "}",
    "#include <vector>",
    "// Note: the caller owns the buffer.",
};
constexpr std::size_t kCodeCount = sizeof(kCode) / sizeof(kCode[0]);

bool isAsciiWord(const std::string& w) { return !w.empty() && static_cast<unsigned char>(w[0]) < 0x80; }

std::string joinWords(const std::vector<std::string>& words)
{
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && (isAsciiWord(words[i - 1]) || isAsciiWord(words[i])))
            out += ' ';
        out += words[i];
    }
    return out;
}

struct Material {
    bool text = true;
    std::int64_t time = 0;  // seconds since the epoch, UTC
    std::uint64_t seed = 0;  // drives the body, so bodies need not be kept in memory
    std::size_t category = 0;
    std::ptrdiff_t subcategory = -1;  // -1: filed directly in the category
    std::string title;  // stored form
    std::string writer;
    std::size_t bodyBytes = 0;
    std::string fpath;
};

std::string utf8(const QString& s) { return s.toStdString(); }

class Generator final {
public:
    Generator(std::size_t n, std::uint64_t seed, bool smallBodies)
        : m_n(n), m_smallBodies(smallBodies), m_rng(seed), m_titleZipf(kWordCount, 6), m_authorZipf(authorCount(), 12)
    {
        buildAuthors();
        buildLinePool();
    }

    static std::size_t authorCount()
    {
        return sizeof(kSurnames) / sizeof(kSurnames[0]) * (sizeof(kGivenNames) / sizeof(kGivenNames[0]))
            + sizeof(kHandles) / sizeof(kHandles[0]);
    }

    std::vector<Material> materials()
    {
        std::vector<Material> out;
        const std::size_t bigCount = bigSubcategoryCount();
        const std::size_t exeCount = m_n / 4;
        out.reserve(m_n + exeCount);
        for (std::size_t i = 0; i < m_n + exeCount; ++i) {
            Material m;
            m.text = i < m_n;
            if (m.text && i < bigCount) {
                m.category = 0;
                m.subcategory = 0;
            } else {
                m.category = m_rng.below(kCategoryCount);
                if (m_rng.chance(0.95)) {
                    // The largest subcategory gets exactly bigCount text materials.
                    do {
                        m.subcategory = static_cast<std::ptrdiff_t>(m_rng.below(kSubcategoryCount));
                    } while (m.text && m.category == 0 && m.subcategory == 0);
                }
            }
            // Ten years, 2016 to 2025; a few at exactly midnight get the date alone.
            const std::int64_t start = 1451606400;  // 2016-01-01 00:00:00 UTC
            m.time = start + static_cast<std::int64_t>(m_rng.below(3653ULL * 86400));
            if (m_rng.chance(0.005))
                m.time -= m.time % 86400;
            m.seed = m_rng.next();
            m.title = title();
            m.writer = m_rng.chance(0.1) ? std::string() : m_authors[m_authorZipf.pick(m_rng)];
            if (m_smallBodies) {
                m.bodyBytes = 800 + m_rng.below(450);  // about 1 KB
                if (!m.text)
                    m.fpath = fpath(m);
            } else if (m.text) {
                m.bodyBytes = static_cast<std::size_t>(
                    m_rng.chance(0.9) ? m_rng.logUniform(100, 20000) : m_rng.logUniform(20000, 204800));
            } else {
                m.bodyBytes = static_cast<std::size_t>(m_rng.logUniform(100, 8000));
                m.fpath = fpath(m);
            }
            out.push_back(std::move(m));
        }
        // One text material carries a body of 200 KB, whatever the draw gave.
        out[m_n / 3].bodyBytes = 204800;
        // Materials are added over the years: ids follow creation time.
        std::stable_sort(out.begin(), out.end(), [](const Material& a, const Material& b) { return a.time < b.time; });
        return out;
    }

    std::size_t bigSubcategoryCount() const { return std::min<std::size_t>(5000, m_n / 2); }
    const std::string& searchAuthor() const { return m_authors[kAuthorRank]; }

    // The body in stored form (apostrophes and colons escaped), every line ended by CR LF.
    std::string body(const Material& m) const
    {
        Rng rng(m.seed);
        std::string out;
        out.reserve(m.bodyBytes + 256);
        while (out.size() < m.bodyBytes) {
            const std::string& line = m_lines[rng.below(m_lines.size())];
            out += line;
            out += "\r\n";
        }
        return out;
    }

private:
    void buildAuthors()
    {
        for (const char* surname : kSurnames) {
            for (const char* given : kGivenNames)
                m_authors.push_back(std::string(surname) + given);
        }
        for (const char* handle : kHandles)
            m_authors.push_back(handle);
        // A fixed shuffle mixes the handles among the names; the seed decides which are common.
        for (std::size_t i = m_authors.size() - 1; i > 0; --i)
            std::swap(m_authors[i], m_authors[m_rng.below(i + 1)]);
    }

    void buildLinePool()
    {
        for (int i = 0; i < 8192; ++i) {
            std::string line;
            if (m_rng.chance(0.3)) {
                line = kCode[m_rng.below(kCodeCount)];
            } else {
                std::vector<std::string> words;
                const std::size_t count = 4 + m_rng.below(30);
                for (std::size_t w = 0; w < count; ++w)
                    words.push_back(
                        m_rng.chance(0.2) ? kWords[m_titleZipf.pick(m_rng)] : kProse[m_rng.below(kProseCount)]);
                line = joinWords(words);
            }
            m_lines.push_back(utf8(EscapeBodyText(QString::fromStdString(line))));
        }
    }

    std::string title()
    {
        std::vector<std::string> words;
        const std::size_t count = 2 + m_rng.below(4);
        for (std::size_t i = 0; i < count; ++i)
            words.push_back(kWords[m_titleZipf.pick(m_rng)]);
        std::string t = joinWords(words);
        if (m_rng.chance(0.03))
            t = "Tip: " + t;
        if (m_rng.chance(0.05))
            t += " (" + std::to_string(2 + m_rng.below(8)) + ")";
        return utf8(EscapeTitleText(QString::fromStdString(t)));
    }

    std::string fpath(const Material& m)
    {
        static const char* const kDirs[]
            = {"/opt/tools", "/home/user/projects", "/home/user/下载", "/usr/local/bin", "/home/user/工具"};
        static const char* const kExts[] = {"", ".sh", ".py", ".exe", ".AppImage", ".jar"};
        std::string name = kWords[m_titleZipf.pick(m_rng)];
        std::replace(name.begin(), name.end(), ':', '_');
        std::replace(name.begin(), name.end(), '\'', '_');
        return std::string(kDirs[m_rng.below(5)]) + "/" + kCategories[m.category] + "/" + name
            + std::to_string(m_rng.below(100)) + kExts[m_rng.below(6)];
    }

    std::size_t m_n;
    bool m_smallBodies;
    Rng m_rng;
    Zipf m_titleZipf;
    Zipf m_authorZipf;
    std::vector<std::string> m_authors;
    std::vector<std::string> m_lines;
};

QList<TreeNodeData> categoryTree()
{
    QList<TreeNodeData> top;
    for (const QString& kind : {QStringLiteral("文字资料"), QStringLiteral("实例资料")}) {
        TreeNodeData root {kind, 0, {}};
        for (const char* category : kCategories) {
            TreeNodeData c {QString::fromUtf8(category), 1, {}};
            for (const char* sub : kSubcategories)
                c.children.append(TreeNodeData {QString::fromUtf8(sub), 2, {}});
            root.children.append(c);
        }
        top.append(root);
    }
    top.append(TreeNodeData {QStringLiteral("搜索结果"), 0, {}});
    return top;
}

bool exec(sqlite3* db, const QString& sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

void bindText(sqlite3_stmt* st, int position, const std::string& text)
{
    sqlite3_bind_text(st, position, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

int fail(const QString& text)
{
    QTextStream(stderr) << "make-data: " << text << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool withIndexes = !args.removeAll(QStringLiteral("--without-indexes"));
    const bool smallBodies = args.removeAll(QStringLiteral("--small-bodies")) > 0;
    if (args.isEmpty() || args.size() > 3 || args.first().startsWith(QLatin1Char('-'))) {
        QTextStream(stderr) << "usage: make-data [--without-indexes] [--small-bodies] DIR [N [SEED]]\n";
        return 2;
    }
    const QString dir = QFileInfo(args.at(0)).absoluteFilePath();
    bool ok = true;
    const qulonglong n = args.size() > 1 ? args.at(1).toULongLong(&ok) : smallBodies ? 1000000 : 100000;
    if (!ok || n < 4)
        return fail(QStringLiteral("N must be a number of at least 4"));
    const qulonglong seed = args.size() > 2 ? args.at(2).toULongLong(&ok) : 1;
    if (!ok)
        return fail(QStringLiteral("SEED must be a number"));

    // A fresh directory each time: the files of an earlier run (and the program's safety copies) go. Only
    // those: whatever else lies in the directory stays.
    QDir d(dir);
    if (!d.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot create %1").arg(dir));
    const QStringList own {QStringLiteral("Data.QSD"), QStringLiteral("Data.QSD-wal"), QStringLiteral("Data.QSD-shm"),
        QStringLiteral("Data.QSD-journal"), QStringLiteral("Data.QSD.bak1"), QStringLiteral("Data.QSD.bak2"),
        QStringLiteral("Data.QSD.bak3"), QStringLiteral("Data.QSD.bak-new"), QStringLiteral("MTS.qs"),
        QStringLiteral("MTS.qs.bak"), QStringLiteral("QS.ini"), QStringLiteral("QSHELP.html"),
        QStringLiteral("bench.info")};
    for (const QString& name : own) {
        if (QFileInfo::exists(d.filePath(name)) && !d.remove(name))
            return fail(QStringLiteral("cannot remove %1").arg(d.filePath(name)));
    }

    QString error;
    if (!saveTreeFile(d.filePath(QStringLiteral("MTS.qs")), categoryTree(), &error)
        || !install::layInstallationFiles(dir, &error))
        return fail(error);

    Generator gen(n, seed, smallBodies);
    const std::vector<Material> all = gen.materials();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(
            QFile::encodeName(d.filePath(QStringLiteral("Data.QSD"))).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    // Indexes are built once after the rows are in: quicker, and the same file in the end.
    for (const QString& name : storeindexes::names()) {
        if (!exec(db, QStringLiteral("DROP INDEX IF EXISTS ") + name, &error))
            return fail(error);
    }
    if (!exec(db, QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN"), &error))
        return fail(error);
    sqlite3_stmt* text = nullptr;
    sqlite3_stmt* exe = nullptr;
    sqlite3_prepare_v2(db,
        "insert into textfile(title,classname,bigclassname,writer,createtime,main) values(?,?,?,?,?,?)", -1, &text,
        nullptr);
    sqlite3_prepare_v2(db,
        "insert into exefile(title,classname,bigclassname,writer,createtime,about,fpath) values(?,?,?,?,?,?,?)", -1,
        &exe, nullptr);
    if (!text || !exe)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));

    std::int64_t largeBodyId = 0;
    std::size_t largeBodyBytes = 0;
    std::size_t textBytes = 0;
    std::size_t keywordHits = 0;
    std::size_t authorHits = 0;
    const std::string author = gen.searchAuthor();
    for (const Material& m : all) {
        sqlite3_stmt* st = m.text ? text : exe;
        const std::string body = gen.body(m);
        const std::string category = kCategories[m.category];
        const std::string sub = m.subcategory < 0 ? std::string() : kSubcategories[m.subcategory];
        const std::string when = utf8(creationTimeText(QDateTime::fromSecsSinceEpoch(m.time, Qt::UTC)));
        bindText(st, 1, m.title);
        bindText(st, 2, sub);
        bindText(st, 3, category);
        bindText(st, 4, m.writer);
        bindText(st, 5, when);
        bindText(st, 6, body);
        if (!m.text)
            bindText(st, 7, m.fpath);
        if (sqlite3_step(st) != SQLITE_DONE)
            return fail(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(st);
        if (m.text) {
            textBytes += body.size();
            keywordHits += m.title.find(kKeyword) != std::string::npos;
            authorHits += m.writer == author;
            if (m.bodyBytes == 204800 && !largeBodyId) {
                largeBodyId = sqlite3_last_insert_rowid(db);
                largeBodyBytes = body.size();
            }
        }
    }
    sqlite3_finalize(text);
    sqlite3_finalize(exe);
    if (!exec(db, QStringLiteral("COMMIT"), &error))
        return fail(error);
    if (withIndexes) {
        for (const QString& statement : storeindexes::createStatements()) {
            if (!exec(db, statement, &error))
                return fail(error);
        }
    }
    // A new installation's database is in WAL mode; an older one (without the indexes) in rollback mode.
    if (!exec(db,
            withIndexes ? QStringLiteral("PRAGMA journal_mode=WAL") : QStringLiteral("PRAGMA journal_mode=DELETE"),
            &error))
        return fail(error);
    if (sqlite3_close(db) != SQLITE_OK)
        return fail(QStringLiteral("cannot close the database"));

    QFile info(d.filePath(QStringLiteral("bench.info")));
    if (!info.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(info.errorString());
    QTextStream out(&info);
    out << "count=" << n << "\n"
        << "seed=" << seed << "\n"
        << "indexes=" << (withIndexes ? "yes" : "no") << "\n"
        << "bodies=" << (smallBodies ? "small" : "normal") << "\n"
        << "journal=" << (withIndexes ? "wal" : "delete") << "\n"
        << "examples=" << n / 4 << "\n"
        << "big_category=" << kCategories[0] << "\n"
        << "big_subcategory=" << kSubcategories[0] << "\n"
        << "big_count=" << gen.bigSubcategoryCount() << "\n"
        << "large_body_id=" << largeBodyId << "\n"
        << "large_body_bytes=" << largeBodyBytes << "\n"
        << "text_body_bytes=" << textBytes << "\n"
        << "keyword=" << kKeyword << "\n"
        << "keyword_hits=" << keywordHits << "\n"
        << "author=" << QString::fromStdString(author) << "\n"
        << "author_hits=" << authorHits << "\n";
    info.close();
    QTextStream(stdout) << "make-data: " << dir << ": " << n << " text and " << n / 4 << " example materials, "
                        << QFileInfo(d.filePath(QStringLiteral("Data.QSD"))).size() / (1024 * 1024) << " MB\n";
    return 0;
}
