#pragma once
// One instance per program path and user: a lock file and a local socket, both named from the
// executable's full path, in a directory that belongs to the user alone, so copies in other
// directories do not see each other and no other local user can receive, block or fake a second start.
#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& executablePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. False only when a live instance of this program holds it (a second start), or
    // quillstash-import does while it files into this program's directory.
    // A lock whose owner is anything else (a dead or foreign process, junk, a directory) is taken
    // over. When no lock can be had at all the program still runs: true, holdsLock() false and
    // errorString() says why.
    bool takeLock();
    bool holdsLock() const;
    // Starts answering second starts; call once start-up has finished, so that none of them shows
    // the window early. False (errorString() says why) when the program cannot be reached.
    bool startListening();
    // Second start: asks the first instance to show itself. False when it could not be reached
    // (for example while it is still starting).
    bool askFirstToShow(int timeoutMs = 1000);

    // Why the lock or the socket is not in use; empty while all is well.
    QString errorString() const { return m_error; }
    // The private directory holding both; empty when none could be had.
    QString directory() const { return m_directory; }
    QString lockPath() const { return m_lockPath; }
    QString socketPath() const { return m_socketPath; }

    // XDG_RUNTIME_DIR when it belongs to the user alone (a directory, not a link, owned by the user,
    // mode 0700), else a directory of that kind made in the temporary directory or, when that name
    // is taken by someone else, under the home directory. Empty, with why, when there is none.
    static QString privateDirectory(QString* why = nullptr);

signals:
    // A second start asked this instance to show itself.
    void showRequested();

private:
    bool ownerIsLiveInstance() const;

    QString m_executable;
    QString m_directory;
    QString m_lockPath;
    QString m_socketPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
