// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/Credentials.h"

#include "store/settings/ProgramInfo.h"
#include "sync/WaitFor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

TPasswordResult Failure(TSecretErrorKind kind, const QString& message) {
    return {kind, QString(), message};
}

TPasswordResult NoSecretStore(const QString& reason) {
    return Failure(TSecretErrorKind::NoSecretStore,
                   QString("No secret store answers on this desktop (%1), so the password "
                           "cannot be kept safely here. Start the desktop's keyring, or give a "
                           "command that prints the password instead.")
                       .arg(reason));
}

// The store's library says little more than "unknown error" when nothing keeps secrets on the
// session bus: whether something does is asked first. Empty when a store can answer.
QString WhyNoSecretStore() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return "no session bus: " + bus.lastError().message();
    QDBusConnectionInterface* names = bus.interface();
    const QStringList activatable =
        names ? names->activatableServiceNames().value() : QStringList();
    for (const char* service :
         {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5", "org.kde.kwalletd"})
        if (activatable.contains(service) || (names && names->isServiceRegistered(service).value()))
            return QString();
    return "nothing on the session bus keeps secrets";
}

TPasswordResult JobResult(const QKeychain::Job& job, const QString& key) {
    const QString detail = job.errorString();
    switch (job.error()) {
    case QKeychain::NoError:
        return {};
    case QKeychain::EntryNotFound:
        return Failure(TSecretErrorKind::NotFound,
                       QString("The desktop's secret store holds no password for %1.").arg(key));
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return Failure(
            TSecretErrorKind::Denied,
            QString("The desktop's secret store refused access to the password (%1).").arg(detail));
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return NoSecretStore(detail);
    case QKeychain::CouldNotDeleteEntry:
    case QKeychain::OtherError:
        break;
    }
    return Failure(TSecretErrorKind::Failed,
                   QString("The desktop's secret store failed: %1.").arg(detail));
}

// Starts a job of the store and hands its result to done, unless context is gone.
template <class Job>
void RunJob(Job* job, const QString& key, QObject* context, TPasswordDone done,
            std::function<void(Job&, TPasswordResult&)> read = {}) {
    if (const QString why = WhyNoSecretStore(); !why.isEmpty()) {
        delete job;
        QTimer::singleShot(0, context, [done = std::move(done), why] { done(NoSecretStore(why)); });
        return;
    }
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [key, done = std::move(done), read = std::move(read)](QKeychain::Job* ended) {
                         TPasswordResult result = JobResult(*ended, key);
                         if (result.Ok() && read)
                             read(*static_cast<Job*>(ended), result);
                         done(result);
                     });
    job->start();
}

QString FirstLine(const QByteArray& output) {
    const qsizetype end = output.indexOf('\n');
    QString line = QString::fromUtf8(end < 0 ? output : output.left(end));
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

QString SecretKey(const QString& server, const QString& user) {
    return user + "@" + server;
}

void ReadSecret(const QString& key, QObject* context, TPasswordDone done) {
    RunJob<QKeychain::ReadPasswordJob>(
        new QKeychain::ReadPasswordJob(ProgramName), key, context, std::move(done),
        [](QKeychain::ReadPasswordJob& job, TPasswordResult& result) {
            result.password = job.textData();
        });
}

void WriteSecret(const QString& key, const QString& password, QObject* context,
                 TPasswordDone done) {
    auto* job = new QKeychain::WritePasswordJob(ProgramName);
    job->setTextData(password);
    RunJob<QKeychain::WritePasswordJob>(job, key, context, std::move(done));
}

void DeleteSecret(const QString& key, QObject* context, TPasswordDone done) {
    RunJob<QKeychain::DeletePasswordJob>(
        new QKeychain::DeletePasswordJob(ProgramName), key, context,
        [done = std::move(done)](const TPasswordResult& result) {
            done(result.error == TSecretErrorKind::NotFound ? TPasswordResult{} : result);
        });
}

void RunPasswordCommand(const QString& command, QObject* context, TPasswordDone done,
                        std::chrono::milliseconds timeout) {
    auto* process = new QProcess(context);
    process->setStandardInputFile(QProcess::nullDevice());
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, process, [process] { process->kill(); });
    auto finish = [process, timer, done](const TPasswordResult& result) {
        timer->stop();
        process->disconnect();
        process->deleteLater();
        done(result);
    };
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finish, timer](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             finish(Failure(TSecretErrorKind::CommandFailed,
                                            "The password command could not be started: " +
                                                process->errorString() + "."));
                         else if (error == QProcess::Crashed && !timer->isActive())
                             finish(Failure(TSecretErrorKind::CommandFailed,
                                            "The password command took too long and was "
                                            "stopped."));
                     });
    QObject::connect(
        process, &QProcess::finished, process,
        [process, finish](int exitCode, QProcess::ExitStatus status) {
            const QString password = FirstLine(process->readAllStandardOutput());
            if (status != QProcess::NormalExit || exitCode != 0) {
                const QString reason = FirstLine(process->readAllStandardError());
                return finish(Failure(TSecretErrorKind::CommandFailed,
                                      QString("The password command failed (%1)%2")
                                          .arg(status == QProcess::NormalExit
                                                   ? QString("exit status %1").arg(exitCode)
                                                   : QString("it was stopped"))
                                          .arg(reason.isEmpty() ? QString(".") : ": " + reason)));
            }
            if (password.isEmpty())
                return finish(Failure(TSecretErrorKind::CommandFailed,
                                      "The password command printed no password."));
            finish({TSecretErrorKind::None, password, QString()});
        });
    timer->start(timeout);
    process->start("/bin/sh", {"-c", command});
}

TPasswordResult ReadSecretNow(const QString& key) {
    QObject context;
    return WaitFor<TPasswordResult>([&](auto done) { ReadSecret(key, &context, done); });
}

TPasswordResult WriteSecretNow(const QString& key, const QString& password) {
    QObject context;
    return WaitFor<TPasswordResult>([&](auto done) { WriteSecret(key, password, &context, done); });
}

TPasswordResult DeleteSecretNow(const QString& key) {
    QObject context;
    return WaitFor<TPasswordResult>([&](auto done) { DeleteSecret(key, &context, done); });
}

TPasswordResult RunPasswordCommandNow(const QString& command, std::chrono::milliseconds timeout) {
    QObject context;
    return WaitFor<TPasswordResult>(
        [&](auto done) { RunPasswordCommand(command, &context, done, timeout); });
}
