#pragma once

#include <functional>
#include <memory>

class QuoteSource;
struct QuoteSiteSettings;

// Makes the transport for a quote site. Whoever switches or tries sites is
// given one, so that it depends on QuoteSource alone and tests choose what
// answers.
using QuoteSourceFactory = std::function<std::unique_ptr<QuoteSource>(const QuoteSiteSettings &)>;
