#include "cli/keys.h"

#include <memory>
#include <string>
#include <vector>

#include "core/sim_context.h"
#include "dialog/dialog_model.h"
#include "dialog/num_format_dialog.h"
#include "materials/eos_dialog.h"

namespace tessmar::cli {

namespace {

std::string DefaultText(const Field& f) {
  const FieldValue& v = f.Default();
  switch (f.Kind()) {
    case FieldKind::Real: {
      const TNumStringFormat g;
      return g.ToText(std::get<Real>(v));
    }
    case FieldKind::Integer: return std::to_string(std::get<long long>(v));
    case FieldKind::Check: return std::get<bool>(v) ? "true" : "false";
    case FieldKind::Choice: {
      const long long i = std::get<long long>(v);
      if (i < 0) return "none";
      return std::to_string(i) + " (" + StripAmpersands(f.Items()[static_cast<std::size_t>(i)]) +
             ")";
    }
    case FieldKind::Text: return "\"" + std::get<std::string>(v) + "\"";
    case FieldKind::Button: return "";
  }
  return "";
}

void PrintModel(std::ostream& out, const DialogModel& m) {
  out << "[" << m.Key() << "]  dialog \"" << m.Caption() << "\"\n";
  for (const Field& f : m.Fields()) {
    if (f.Kind() == FieldKind::Button) continue;  // actions, not values
    out << "  " << f.Name() << "  (" << FieldKindName(f.Kind()) << ")";
    if (!f.Caption().empty()) out << "  \"" << StripAmpersands(f.Caption()) << "\"";
    out << "  default " << DefaultText(f);
    const TNumStringFormat g;
    if (f.Min() || f.Max()) {
      out << "  range " << (f.Min() ? g.ToText(*f.Min()) : "") << ".."
          << (f.Max() ? g.ToText(*f.Max()) : "");
    }
    out << "\n";
    if (f.Kind() == FieldKind::Choice) {
      for (std::size_t i = 0; i < f.Items().size(); ++i)
        out << "      " << i << " = " << StripAmpersands(f.Items()[i]) << "\n";
    }
    if (!f.HelpText().empty()) out << "      " << f.HelpText() << "\n";
  }
  out << "\n";
}

}  // namespace

void PrintKeys(std::ostream& out) {
  out << "Run-file tables and keys. A choice takes an item index or its caption;\n"
         "a check takes true or false; numbers may be written as in the program's\n"
         "fields (1.5, 1,5, 2d-3, 2.5*10^3).\n\n";
  SimContext ctx;
  TEosDialog eos(ctx);
  PrintModel(out, eos);
  TNumFormatDialog format;
  PrintModel(out, format);
}

}  // namespace tessmar::cli
