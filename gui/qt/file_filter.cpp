#include "gui/qt/file_filter.h"

#include <QString>
#include <vector>

namespace gui {

namespace {

std::vector<std::string_view> SplitAtBars(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t bar = text.find('|'); bar != std::string_view::npos;
       bar = text.find('|', start)) {
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

QString ToQtPatterns(std::string_view patterns) {
  QStringList converted;
  for (const QString& pattern :
       QString::fromUtf8(patterns.data(), static_cast<qsizetype>(patterns.size()))
           .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    converted << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
  }
  return converted.join(QLatin1Char(' '));
}

QString NameFilter(std::string_view name, std::string_view patterns) {
  QString label = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).trimmed();
  const QString own_suffix =
      QStringLiteral("(") +
      QString::fromUtf8(patterns.data(), static_cast<qsizetype>(patterns.size())) +
      QStringLiteral(")");
  if (label.endsWith(own_suffix)) {
    label.chop(own_suffix.size());
    label = label.trimmed();
  }
  // Qt reads the patterns from the last parentheses of the filter.
  return label + QStringLiteral(" (") + ToQtPatterns(patterns) + QStringLiteral(")");
}

}  // namespace

QStringList ToNameFilters(std::string_view filter) {
  QStringList filters;
  const std::vector<std::string_view> parts = SplitAtBars(filter);
  // Pairs up to the first empty name (the closing "||").
  for (std::size_t index = 0; index + 1 < parts.size(); index += 2) {
    if (parts[index].empty()) {
      break;
    }
    filters << NameFilter(parts[index], parts[index + 1]);
  }
  return filters;
}

}  // namespace gui
