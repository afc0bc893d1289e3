#pragma once
// One instance per program path and user: a lock file in the runtime directory and a local server,
// both named from the executable's full path, so copies in other directories do not see each other.
#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& executablePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening. False when another instance holds the lock.
    // A lock left by a killed instance is taken over.
    bool becomeFirst();
    // Second start: asks the first instance to show itself. False when it could not be reached
    // (for example while it is still starting).
    bool askFirstToShow(int timeoutMs = 1000);

    QString lockPath() const;
    QString serverName() const { return m_serverName; }

signals:
    // A second start asked this instance to show itself.
    void showRequested();

private:
    QString m_serverName;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
