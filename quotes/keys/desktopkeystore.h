#pragma once

#include "keyfile.h"
#include "keystore.h"

#include <QObject>

// Keeps API keys in the desktop's keyring (the Secret Service, through
// QtKeychain), under the service "Fundtally", one entry per source name;
// where no keyring answers, in the key file. A key is kept in one place:
// reading looks in the file too, for a key kept while the keyring was away.
class DesktopKeyStore final : public QObject, public KeyStore
{
    Q_OBJECT

public:
    static constexpr char kService[] = "Fundtally";

    explicit DesktopKeyStore(KeyFile file, QObject *parent = nullptr);

    void readKey(const QString &source, Done done) override;
    void writeKey(const QString &source, const QString &key, Done done) override;

    const QString &filePath() const { return m_file.path(); }

private:
    KeyAnswer readFromFile(const QString &source) const;
    KeyAnswer writeToFile(const QString &source, const QString &key) const;
    void answerLater(Done done, const KeyAnswer &answer);

    const KeyFile m_file;
};
