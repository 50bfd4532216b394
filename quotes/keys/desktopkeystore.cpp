#include "desktopkeystore.h"

#include <QTimer>

#include <qt6keychain/keychain.h>

#include <utility>

DesktopKeyStore::DesktopKeyStore(KeyFile file, QObject *parent)
    : QObject(parent)
    , m_file(std::move(file))
{
}

void DesktopKeyStore::readKey(const QString &source, Done done)
{
    auto *job = new QKeychain::ReadPasswordJob(QLatin1String(kService), this); // deletes itself
    job->setKey(source);
    connect(job, &QKeychain::Job::finished, this, [this, job, source, done = std::move(done)] {
        if (job->error() == QKeychain::NoError) {
            done(KeyAnswer{job->textData(), KeyPlace::Keyring, {}});
            return;
        }
        // Not found there, or no keyring at all: the file may hold it.
        KeyAnswer answer = readFromFile(source);
        answer.keyringReached = job->error() == QKeychain::EntryNotFound;
        done(answer);
    });
    job->start();
}

void DesktopKeyStore::writeKey(const QString &source, const QString &key, Done done)
{
    if (key.isEmpty()) {
        auto *job = new QKeychain::DeletePasswordJob(QLatin1String(kService), this);
        job->setKey(source);
        connect(job, &QKeychain::Job::finished, this, [this, source, done = std::move(done)] {
            done(writeToFile(source, {}));
        });
        job->start();
        return;
    }
    auto *job = new QKeychain::WritePasswordJob(QLatin1String(kService), this);
    job->setKey(source);
    job->setTextData(key);
    connect(job, &QKeychain::Job::finished, this, [this, job, source, key, done = std::move(done)] {
        if (job->error() != QKeychain::NoError) {
            done(writeToFile(source, key));
            return;
        }
        // The keyring holds it now; a copy left in the file would outlive it.
        const QString error = m_file.write(source, {});
        done(KeyAnswer{key, KeyPlace::Keyring, error});
    });
    job->start();
}

KeyAnswer DesktopKeyStore::readFromFile(const QString &source) const
{
    KeyAnswer answer;
    answer.key = m_file.read(&answer.error).value(source);
    answer.place = answer.key.isEmpty() ? KeyPlace::None : KeyPlace::File;
    return answer;
}

KeyAnswer DesktopKeyStore::writeToFile(const QString &source, const QString &key) const
{
    const QString error = m_file.write(source, key);
    if (!error.isEmpty())
        return KeyAnswer{{}, KeyPlace::None, error};
    return KeyAnswer{key, key.isEmpty() ? KeyPlace::None : KeyPlace::File, {}};
}
