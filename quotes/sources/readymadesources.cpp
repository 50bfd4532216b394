#include "readymadesources.h"

#include <QFile>

namespace ReadyMadeSources {

SourcesFileRead read()
{
    QFile file(QStringLiteral(":/fundtally/%1").arg(QLatin1String(kFileName)));
    if (!file.open(QIODevice::ReadOnly)) {
        SourcesFileRead missing;
        missing.problem.issue = SourcesFileIssue::Unreadable;
        missing.problem.detail = file.errorString();
        return missing;
    }
    return parseSourcesFile(file.readAll());
}

} // namespace ReadyMadeSources
