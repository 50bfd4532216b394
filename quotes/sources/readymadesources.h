#pragma once

#include "sourcesfile.h"

#include <QString>

// The quote and rate sources that come with the program, each written from
// its provider's public documentation, with a note on what it needs (a key,
// where to get one, its free limits) and the documentation's address. They
// are built in, and installed as a sources file that
// FUNDTALLY_QUOTE_SOURCES can name.
namespace ReadyMadeSources {

// The file's name where it is installed, under share/fundtally.
constexpr char kFileName[] = "ready-made-sources.json";

// The sources built in, read as any sources file is.
SourcesFileRead read();

} // namespace ReadyMadeSources
