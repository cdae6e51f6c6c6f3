#include "app/single_instance.h"

#include "platform/settings_store.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <unistd.h>

namespace qk::app {
namespace {

constexpr const char* kLockFileName = "qk-agent.lock";
constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShownAnswer = "shown\n";
constexpr qint64 kMaxRequestBytes = 64;

// The folder as the file system knows it, so that two spellings of one folder
// (a symbolic link, "a/../b") lead to the same socket.
std::filesystem::path canonicalFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    return error ? std::filesystem::absolute(folder, error).lexically_normal() : canonical;
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& settingsDir) : settingsDir_(settingsDir) {}

SingleInstance::~SingleInstance()
{
    server_.close();
    if (lock_)
        lock_->unlock();
}

QString SingleInstance::socketName(const std::filesystem::path& settingsDir)
{
    const QByteArray folder = QByteArray::fromStdString(canonicalFolder(settingsDir).string());
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("qk-agent-") + digest);
    return QStringLiteral("qk-agent-%1-%2").arg(::getuid()).arg(digest);
}

SingleInstance::Role SingleInstance::claim()
{
    // The folder is the settings store's own (0700); the lock lives in it.
    SettingsStore(settingsDir_).createKey("");
    const QString lockPath = QString::fromStdString((settingsDir_ / kLockFileName).string());
    lock_ = std::make_unique<QLockFile>(lockPath);
    // Only a dead owner makes a lock stale, never its age: an agent runs for days.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        const bool held = lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        return held ? Role::Second : Role::Unguarded;
    }

    // Whatever socket is there was left by an agent that is gone: the lock is ours.
    const QString name = socketName(settingsDir_);
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, [this] { answer(); });
    // Without the socket a later start cannot reach this agent, but the lock still
    // keeps it out of the folder.
    server_.listen(name);
    return Role::First;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequestBytes)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(kMaxRequestBytes);
            if (line == kShowRequest) {
                if (show_)
                    show_();
                socket->write(kShownAnswer.data(), kShownAnswer.size());
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::askRunningAgentToShow(int timeoutMs)
{
    const QString name = socketName(settingsDir_);
    QElapsedTimer clock;
    clock.start();
    auto left = [&] { return static_cast<int>(std::max<qint64>(0, timeoutMs - clock.elapsed())); };
    while (left() > 0) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(left())) {
            // The running agent may have taken the lock a moment ago and not listen yet.
            QThread::msleep(50);
            continue;
        }
        socket.write(kShowRequest.data(), kShowRequest.size());
        if (!socket.waitForBytesWritten(left()))
            continue;
        QByteArray answer;
        while (!answer.contains('\n') && socket.waitForReadyRead(left()))
            answer += socket.readAll();
        if (answer.startsWith(kShownAnswer.toByteArray()))
            return true;
        if (socket.state() == QLocalSocket::ConnectedState)
            return false;  // connected but silent until the time ran out
    }
    return false;
}

void bringAgentToFront()
{
    QWidget* takesInput = QApplication::activeModalWidget();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
            continue;
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        if (!takesInput)
            takesInput = window;
    }
    if (takesInput) {
        takesInput->raise();
        takesInput->activateWindow();
    }
}

}  // namespace qk::app
