#pragma once

#include <functional>
#include <memory>

class QuoteService;
struct QuoteSiteSettings;

// Makes the service for a quote site. Whoever switches or tries sites is
// given one, so that it depends on QuoteService alone and tests choose what
// answers.
using QuoteServiceFactory = std::function<std::shared_ptr<QuoteService>(const QuoteSiteSettings &)>;
