// Temporary minimal conversions; the full pattern rules replace this file.
#include "format/num_string_format.h"

#include <cstdio>
#include <cstdlib>

namespace tessmar {

TNumStringFormat::TNumStringFormat() = default;
char TNumStringFormat::SystemDecSeparator() { return '.'; }
char TNumStringFormat::SystemThousandSeparator() { return ' '; }

std::string TNumStringFormat::ToText(Real value) const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15Lg", value);
  return buf;
}

bool TNumStringFormat::TryParse(std::string_view text, Real& value) const {
  std::string s(text);
  char* end = nullptr;
  const Real v = std::strtold(s.c_str(), &end);
  if (end == s.c_str() || *end != '\0') return false;
  value = v;
  return true;
}

}  // namespace tessmar
