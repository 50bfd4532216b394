#pragma once

#include <QFileDevice>
#include <QString>

// Where writing a file whole stopped.
enum class WholeFileFailure {
    None,
    Create,   // the new file could not be started beside the old one
    Write,    // not every byte reached the disk
    Replace,  // the new file could not take the old one's place
};

struct WholeFileWrite {
    WholeFileFailure failure = WholeFileFailure::None;
    QString reason;   // the system's words, for the message
    bool ok() const { return failure == WholeFileFailure::None; }
};

// Why the write stopped, for a message naming the file: "writing failed
// (No space left on device)"; empty when it did not.
QString wholeFileProblem(const WholeFileWrite &written);

// Writes `bytes` to `path` so that the file afterwards is either the old one,
// untouched, or the new one whole, never a part: on a full disk, a file size
// limit or a failing device the old file stays. With `permissions`, the new
// file has them before any byte is in it.
WholeFileWrite writeWholeFile(const QString &path, const QByteArray &bytes,
                              QFileDevice::Permissions permissions = {});
