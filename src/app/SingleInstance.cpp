#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSet>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
QString pathKey(const QString& executablePath)
{
    const QString canonical = QFileInfo(executablePath).absoluteFilePath();
    return QString::fromLatin1(QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

// Names inside the private directory: "quillstash-" + 16 hex digits + ".socket" is the longer one.
constexpr int kLongestName = 11 + 16 + 7;
// QLocalServer binds a socket with access options in a temporary directory beside the final name
// (six more characters and "/s") before it moves it into place.
constexpr int kServerExtra = 8;

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// True when path is a directory of the user alone: no link, owned by the user, mode 0700.
bool isPrivateDirectory(const QString& path, QString* why)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        *why = QStringLiteral("%1: %2").arg(path, systemError(errno));
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        *why = QStringLiteral("%1 is a symbolic link").arg(path);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("%1 is not a directory").arg(path);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *why = QStringLiteral("%1 belongs to user %2").arg(path).arg(st.st_uid);
        return false;
    }
    if ((st.st_mode & 07777) != 0700) {
        *why = QStringLiteral("%1 has mode %2, not 0700").arg(path, QString::number(st.st_mode & 07777, 8));
        return false;
    }
    return true;
}

// The socket must fit a socket address.
bool roomForSocket(const QString& dir, QString* why)
{
    if (QFile::encodeName(dir).size() + 1 + kLongestName + kServerExtra < qsizetype(sizeof(sockaddr_un::sun_path)))
        return true;
    *why = QStringLiteral("%1 is too long a path for a local socket").arg(dir);
    return false;
}

// Makes path as a directory of the user alone, or accepts one the user already has there. A path
// that is a link or someone else's is refused, never shared.
bool makePrivateDirectory(const QString& path, QString* why)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("cannot create %1: %2").arg(path, systemError(errno));
        return false;
    }
    struct stat st { };
    if (::lstat(native.constData(), &st) != 0) {
        *why = QStringLiteral("%1: %2").arg(path, systemError(errno));
        return false;
    }
    // The user's own directory with a wider mode (or a umask that took bits away) is set right;
    // anything else is left alone.
    if (!S_ISLNK(st.st_mode) && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) != 0700
        && ::chmod(native.constData(), 0700) != 0) {
        *why = QStringLiteral("cannot set the mode of %1: %2").arg(path, systemError(errno));
        return false;
    }
    return isPrivateDirectory(path, why);
}

// Host names end up in a file name.
QString fileNamePart(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('.'))
            out += c;
    }
    return out.isEmpty() ? QStringLiteral("host") : out;
}

// The executable a process runs; a program file replaced while it runs reads "path (deleted)".
QString executableOf(qint64 pid)
{
    const QByteArray link = QByteArrayLiteral("/proc/") + QByteArray::number(pid) + QByteArrayLiteral("/exe");
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size())
        return QString();
    QString path = QFile::decodeName(target.left(n));
    const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

QString canonicalOrAbsolute(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Removes whatever is in the place of a file of ours: a file, a link (not its target) or a whole
// directory. Only used inside the private directory.
bool removeEntry(const QString& path)
{
    struct stat st { };
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode))
        return QDir(path).removeRecursively();
    return ::unlink(native.constData()) == 0;
}

// Locks held by instances in this process: the lock file names this process as owner then.
QSet<QString>& locksHeldHere()
{
    static QSet<QString> held;
    return held;
}
}  // namespace

QString SingleInstance::privateDirectory(QString* why)
{
    QStringList reasons;
    QString reason;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        const QString dir = QDir::cleanPath(runtime);
        if (isPrivateDirectory(dir, &reason) && roomForSocket(dir, &reason))
            return dir;
        reasons.append(reason);
    }
    const QString user = QString::number(::geteuid());
    // Qt gives an empty or relative path for a temporary or home directory that does not exist.
    QString temp = QDir::tempPath();
    if (!QDir::isAbsolutePath(temp))
        temp = QStringLiteral("/tmp");
    const QString inTemp = QDir(temp).filePath(QStringLiteral("quillstash-") + user);
    if (roomForSocket(inTemp, &reason) && makePrivateDirectory(inTemp, &reason))
        return inTemp;
    reasons.append(reason);
    // The temporary directory is everybody's, so its name can be taken; the home directory's cannot.
    const QString home = QDir::homePath();
    const QString cache = QDir(home).filePath(QStringLiteral(".cache"));
    const QString inHome = QDir(cache).filePath(
        QStringLiteral("quillstash-") + user + QLatin1Char('-') + fileNamePart(QSysInfo::machineHostName()));
    if (!QDir::isAbsolutePath(home) || home == QDir::rootPath())
        reasons.append(QStringLiteral("no home directory"));
    else if (!QDir().mkpath(cache))
        reasons.append(QStringLiteral("cannot create %1").arg(cache));
    else if (roomForSocket(inHome, &reason) && makePrivateDirectory(inHome, &reason))
        return inHome;
    else
        reasons.append(reason);
    if (why)
        *why = reasons.join(QStringLiteral("; "));
    return QString();
}

SingleInstance::SingleInstance(const QString& executablePath, QObject* parent)
    : QObject(parent), m_executable(canonicalOrAbsolute(executablePath))
{
    QString why;
    m_directory = privateDirectory(&why);
    if (m_directory.isEmpty()) {
        m_error = QStringLiteral("no private directory for the single-instance lock (%1); running without it").arg(why);
        return;
    }
    const QString base = QStringLiteral("quillstash-") + pathKey(executablePath);
    m_lockPath = QDir(m_directory).filePath(base + QStringLiteral(".lock"));
    m_socketPath = QDir(m_directory).filePath(base + QStringLiteral(".socket"));
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock, so that it never removes the socket of an instance after us.
    if (m_server)
        m_server->close();
    if (holdsLock())
        locksHeldHere().remove(m_lockPath);
}

bool SingleInstance::holdsLock() const { return m_lock && m_lock->isLocked(); }

bool SingleInstance::ownerIsLiveInstance() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!m_lock->getLockInfo(&pid, &host, &app) || pid <= 0)
        return false;  // junk, an empty file, a directory
    if (pid == QCoreApplication::applicationPid())
        return locksHeldHere().contains(m_lockPath);
    // A dead process, or a live one that runs another program (its pid was reused).
    const QString running = executableOf(pid);
    if (running.isEmpty())
        return false;
    // quillstash-import holds the lock of the directory it files into while it runs: the program must
    // not load a tree the import is about to change.
    if (app == QLatin1String("quillstash-import") && QFileInfo(running).fileName() == app)
        return true;
    return running == m_executable;
}

bool SingleInstance::takeLock()
{
    if (m_directory.isEmpty())
        return true;  // m_error says why the program runs unprotected
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Whether the owner is still there decides, not the age of the lock.
    m_lock->setStaleLockTime(0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_lock->tryLock(0)) {
            locksHeldHere().insert(m_lockPath);
            m_error.clear();
            return true;
        }
        if (m_lock->error() != QLockFile::LockFailedError)
            break;
        if (ownerIsLiveInstance())
            return false;
        // The directory is the user's alone, so what is in the lock's place is a leftover of ours.
        if (!removeEntry(m_lockPath))
            break;
    }
    const QLockFile::LockError error = m_lock->error();
    m_error = QStringLiteral("cannot take the single-instance lock %1 (%2); a second start will start another "
                             "instance")
                  .arg(m_lockPath,
                      error == QLockFile::PermissionError       ? QStringLiteral("permission denied")
                          : error == QLockFile::LockFailedError ? QStringLiteral("it cannot be removed")
                                                                : QStringLiteral("unknown error"));
    m_lock.reset();
    return true;
}

bool SingleInstance::startListening()
{
    if (!holdsLock()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the single-instance lock is not held");
        return false;
    }
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray request = socket->readAll();
                if (request.contains("show"))
                    emit showRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (m_server->listen(m_socketPath))
        return true;
    // We hold the lock, so whatever is in the socket's place was left by an instance that was killed.
    removeEntry(m_socketPath);
    if (m_server->listen(m_socketPath))
        return true;
    m_error = QStringLiteral("cannot listen on %1 (%2); a second start will not bring this window to the front")
                  .arg(m_socketPath, m_server->errorString());
    delete m_server;
    m_server = nullptr;
    return false;
}

bool SingleInstance::askFirstToShow(int timeoutMs)
{
    if (m_socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write("show\n");
    socket.flush();
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(timeoutMs)) { }
    const bool written = socket.bytesToWrite() == 0;
    // Give the first instance the moment it needs to read the request before we go.
    if (written && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(timeoutMs);
    return written;
}
