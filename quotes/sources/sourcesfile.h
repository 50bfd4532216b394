#pragma once

#include "quotesource.h"
#include "ratesource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

// Why a sources file cannot be used.
enum class SourcesFileIssue {
    None,
    Unreadable,
    Unwritable,
    TooLarge,        // past SourceLimits::kMaxSourcesFileBytes
    NotJson,
    NotSourcesObject,   // not an object holding "sources" and nothing else
    SourceNotObject,
    UnknownMember,
    Note,            // a "note" or "documentation" that is not one: see `member`
    Source,          // a source or the list is at fault: see `source`
    Rate,            // a rate source or the rate list is at fault: see `source` and `member`
};

struct SourcesFileProblem {
    SourcesFileIssue issue = SourcesFileIssue::None;
    SourceProblem source;   // for Source and Rate; for UnknownMember, which source
    QString sourceName;     // the source's name when it can name it
    qsizetype rateIndex = -1; // for Rate, from 0
    QString member;         // for UnknownMember, and a rate source's unknown member
    QString detail;         // the system's or the JSON parser's words

    bool ok() const { return issue == SourcesFileIssue::None; }
};

// What a file says about a source for the user choosing it, beside the
// source itself: what it needs and allows, and its provider's documentation.
struct SourceNote {
    QString note;            // at most SourceLimits::kMaxNoteChars
    QString documentation;   // an https:// address

    friend bool operator==(const SourceNote &, const SourceNote &) = default;
};

struct SourcesFileRead {
    QList<QuoteSource> sources;   // empty whenever there is a problem
    QList<RateSource> rates;      // likewise; in the order they are asked
    // By source name, for the sources of either list that have one.
    QHash<QString, SourceNote> notes;
    SourcesFileProblem problem;
};

// The sources in a file's text: {"sources": [{"name": ..., ...}]}, every
// member checked, and optionally the rate sources beside them, written as
// sources are and checked for their role: "rates": [{"name": ...,
// "url": "https://...", "format": "ecb"}]. A source may carry a "note" and
// its "documentation" address for the user, which are not part of it and so
// are never written back. Nothing is taken from a file with any problem.
SourcesFileRead parseSourcesFile(QByteArrayView text);
// The sources in the file at `path`, the certificate files they name
// checked as well (checkCertificateFile).
SourcesFileRead readSourcesFile(const QString &path);

// The file's text, the members at their defaults left out. API keys are
// not part of sources, so never written.
QByteArray sourcesFileText(const QList<QuoteSource> &sources, const QList<RateSource> &rates = {});
// Writes checked sources whole or not at all.
SourcesFileProblem writeSourcesFile(const QString &path, const QList<QuoteSource> &sources,
                                    const QList<RateSource> &rates = {});

// One message naming the file, the source (by name, or by position when
// it has no usable name) and the member at fault.
QString sourcesFileProblemText(const QString &path, const SourcesFileProblem &problem);
